#!/usr/bin/env python3
"""make dist: writes lull-VERSION.zip, holding LULL.EXE and LULL.TXT, and SHA256SUMS.

Every build of one commit gives the same zip: its members in a fixed order, each with the
time stamp lull.exe carries (SOURCE_DATE_EPOCH or the commit's date, as the Windows tree
recorded it), fixed attributes and one compression level. LULL.TXT gets CR LF line ends
so that Windows 95's Notepad shows it.

usage: dist.py WINDOWS-TREE OUTPUT-DIRECTORY
"""
import hashlib
import pathlib
import re
import sys
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent


def version():
    caption = re.search(r"Ver (\d+\.\d+)", (ROOT / "resources" / "lull.rc").read_text())
    return caption.group(1)


def main():
    tree, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    epoch = int((tree / "source_date_epoch").read_text())
    exe = (tree / "lull.exe").read_bytes()
    text = (ROOT / "docs" / "LULL.TXT").read_bytes()
    if not text.isascii():
        sys.exit("docs/LULL.TXT must be plain ASCII")
    text = text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")

    out.mkdir(parents=True, exist_ok=True)
    archive = out / f"lull-{version()}.zip"
    # The DOS time of a zip member has no time zone and starts in 1980: the stamp in UTC.
    when = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(archive, "w") as zip_file:
        for name, data in (("LULL.EXE", exe), ("LULL.TXT", text)):
            info = zipfile.ZipInfo(name, when)
            info.create_system = 0  # MS-DOS, with no attribute set
            info.external_attr = 0
            info.compress_type = zipfile.ZIP_DEFLATED
            zip_file.writestr(info, data, compresslevel=9)

    sums = "".join(
        f"{hashlib.sha256(data).hexdigest()}  {name}\n"
        for name, data in ((archive.name, archive.read_bytes()), ("LULL.EXE", exe)))
    (out / "SHA256SUMS").write_text(sums)
    print(f"{archive}: LULL.EXE ({len(exe)} bytes), LULL.TXT ({len(text)} bytes)")
    print(f"{out / 'SHA256SUMS'}:")
    print(sums, end="")


if __name__ == "__main__":
    main()
