#!/usr/bin/env python3
"""make dist: writes lull-VERSION.zip, holding LULL.EXE, LULLCMD.EXE and LULL.TXT, and
SHA256SUMS, with the hashes of the zip and of both programs.

Every build of one commit gives the same zip: its members in a fixed order, each with the
time stamp the programs carry (SOURCE_DATE_EPOCH or the commit's date, as the Windows tree
recorded it), fixed attributes and one compression level. LULL.TXT gets CR LF line ends
so that Windows 95's Notepad shows it.

The version comes from resources/version.h. The title of LULL.TXT and the zip names the
README gives must say the same: --check-version checks that alone (a CTest test runs it),
and a dist is not written while they differ.

usage: dist.py WINDOWS-TREE OUTPUT-DIRECTORY
       dist.py --check-version
"""
import hashlib
import pathlib
import re
import sys
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent


def version():
    header = (ROOT / "resources" / "version.h").read_text()
    return re.search(r'^#define LULL_VERSION "([^"]+)"$', header, re.M).group(1)


def version_mismatches():
    """What in LULL.TXT and the README does not say resources/version.h's version."""
    want = version()
    found = []
    title = (ROOT / "docs" / "LULL.TXT").read_text().split("\n", 1)[0]
    if title != f"Lull Wizard {want}":
        found.append(f"docs/LULL.TXT: title {title!r}, not 'Lull Wizard {want}'")
    names = re.findall(r"lull-([^\s`]*?)\.zip", (ROOT / "README.md").read_text())
    if not names:
        found.append("README.md: names no lull-VERSION.zip")
    found += [f"README.md: lull-{name}.zip, not lull-{want}.zip" for name in names if name != want]
    return found


def main():
    if sys.argv[1:] == ["--check-version"]:
        mismatches = version_mismatches()
        print("\n".join(mismatches) or f"version {version()}: LULL.TXT and README.md agree")
        sys.exit(1 if mismatches else 0)
    if version_mismatches():
        sys.exit("\n".join(version_mismatches() + ["(dist.py --check-version)"]))
    tree, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    epoch = int((tree / "source_date_epoch").read_text())
    programs = [(name.upper(), (tree / name).read_bytes()) for name in ("lull.exe", "lullcmd.exe")]
    text = (ROOT / "docs" / "LULL.TXT").read_bytes()
    if not text.isascii():
        sys.exit("docs/LULL.TXT must be plain ASCII")
    text = text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")

    out.mkdir(parents=True, exist_ok=True)
    archive = out / f"lull-{version()}.zip"
    # The DOS time of a zip member has no time zone and starts in 1980: the stamp in UTC.
    when = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(archive, "w") as zip_file:
        for name, data in programs + [("LULL.TXT", text)]:
            info = zipfile.ZipInfo(name, when)
            info.create_system = 0  # MS-DOS, with no attribute set
            info.external_attr = 0
            info.compress_type = zipfile.ZIP_DEFLATED
            zip_file.writestr(info, data, compresslevel=9)

    sums = "".join(
        f"{hashlib.sha256(data).hexdigest()}  {name}\n"
        for name, data in [(archive.name, archive.read_bytes())] + programs)
    (out / "SHA256SUMS").write_text(sums)
    members = programs + [("LULL.TXT", text)]
    print(f"{archive}: " + ", ".join(f"{name} ({len(data)} bytes)" for name, data in members))
    print(f"{out / 'SHA256SUMS'}:")
    print(sums, end="")


if __name__ == "__main__":
    main()
