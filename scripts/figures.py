#!/usr/bin/env python3
"""make figures: one recorded run of the tests, the mutants, the fuzz targets and the
benchmark, and the size of lull.exe, written with the date and the machine into README.md
between its figures markers. Nothing is written unless every step passes. The logs stay in
build/figures/.

usage: figures.py [FUZZ-SECONDS [BENCH-ROUNDS]]   (60, and as many rounds as make bench runs;
       make mutants tries as many mutants as MUTANTS says, as make passes it on)
"""
import datetime
import os
import pathlib
import platform
import re
import struct
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
LOGS = ROOT / "build" / "figures"
BEGIN = "<!-- figures: written by make figures, not by hand -->"
END = "<!-- end of figures -->"


def run(name, command):
    """Runs a command, its output shown and kept in build/figures/NAME.log."""
    print(f"figures: {' '.join(command)}", flush=True)
    log = LOGS / f"{name}.log"
    with open(log, "w") as out:
        process = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, text=True)
        for line in process.stdout:
            sys.stdout.write(line)
            out.write(line)
    if process.wait() != 0:
        sys.exit(f"figures: {' '.join(command)} failed; README.md is unchanged (log: {log})")
    return log.read_text()


def output(*command):
    return subprocess.run(command, cwd=ROOT, capture_output=True, text=True).stdout.strip()


def number(value):
    return f"{value:,}"


def sections_and_imports(exe):
    """The section table and the imported functions, read from the PE file itself."""
    data = exe.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    headers = struct.unpack_from("<I", data, optional + 60)[0]
    directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    sections = []
    for index in range(count):
        entry = optional + optional_size + 40 * index
        name, virtual_size, rva, raw_size, raw_at = struct.unpack_from("<8sIIII", data, entry)
        sections.append((name.rstrip(b"\0").decode(), virtual_size, rva, raw_size, raw_at))

    def at(address):
        for _, size, rva, raw_size, raw_at in sections:
            if rva <= address < rva + max(size, raw_size):
                return raw_at + address - rva
        raise ValueError(f"RVA {address:#x} is in no section")

    thunk = "<Q" if struct.unpack_from("<H", data, optional)[0] == 0x20B else "<I"
    dlls, functions = [], 0
    descriptor = at(import_rva)
    while True:
        lookup, _, _, name_rva, first = struct.unpack_from("<5I", data, descriptor)
        if name_rva == 0:
            break
        dlls.append(data[at(name_rva):data.index(b"\0", at(name_rva))].decode().upper())
        entry = at(lookup or first)
        while struct.unpack_from(thunk, data, entry)[0] != 0:
            functions += 1
            entry += struct.calcsize(thunk)
        descriptor += 20
    return len(data), headers, sections, dlls, functions


SECTION_TEXT = {
    ".text": "code and read-only data (texts, tables, vtables)",
    ".idata": "the import table (and the few bytes of writable data)",
    ".rsrc": "the fourteen page templates and the icon",
}


def size_table(exe):
    total, headers, sections, dlls, functions = sections_and_imports(exe)
    rows = ["| part | bytes | in the file |", "|---|---|---|",
            f"| PE headers and section table | {number(headers)} | {number(headers)} |"]
    for name, virtual_size, _, raw_size, _ in sections:
        rows.append(f"| `{name}`: {SECTION_TEXT.get(name, '')} | {number(virtual_size)} "
                    f"| {number(raw_size)} |")
    rows.append(f"| **total** | | **{number(total)}** (budget 32,768) |")
    imports = (f"`lull.exe` imports {functions} functions from {len(dlls)} DLLs "
               f"({', '.join(dlls)}).")
    return "\n".join(rows), imports


def bench_table(log):
    rows = ["| program | start-up to first page | peak working set | ratio to the floor "
            "[95% interval]: start-up, memory |", "|---|---|---|---|"]
    names = {"lull.exe": "`lull.exe`", "minimal_dialog.exe": "minimal dialog",
             "minimal_dialog_icc.exe": "minimal dialog + `InitCommonControls` (the floor)"}
    ratio = r"([\d.]+ \[[\d.]+-[\d.]+\])"
    pattern = re.compile(r"^(\S+)\s+start-up\s+([\d.]+) ms\s+peak working set\s+(\d+) KiB"
                         rf"\s+ratio {ratio}\s+{ratio}$", re.M)
    found = pattern.findall(log)
    if len(found) != 3:
        sys.exit("figures: the benchmark printed no line for each of its three programs")
    for program, ms, kib, time_ratio, memory_ratio in found:
        rows.append(f"| {names.get(program, program)} | {ms} ms | {number(int(kib))} KiB "
                    f"| {time_ratio}, {memory_ratio} |")
    rounds = re.search(r"^(\d+) rounds", log, re.M).group(1)
    machine = re.search(r"^Machine: .*?, ([^,]*wine[^,]*), (\w+) build, (.*)", log, re.M | re.I)
    wine, build, priority = machine.groups()
    return "\n".join(rows), rounds, f"{wine}, {build} build, {priority}"


def fuzz_table(log):
    found = re.findall(r"(\w+): (\d+) executions in (\d+) s", log)
    if not found:
        sys.exit("figures: make fuzz printed no executions")
    rows = ["| target | executions | seconds | per second |", "|---|---|---|---|"]
    for target, runs, seconds in found:
        rows.append(f"| `{target}` | {number(int(runs))} | {seconds} "
                    f"| {number(round(int(runs) / max(int(seconds), 1)))} |")
    return "\n".join(rows)


def test_table(log):
    names = output("ctest", "--test-dir", "build/native", "-N").splitlines()
    names = [line.split(": ", 1)[1] for line in names if re.match(r"\s*Test +#\d+: ", line)]
    groups = [("unit.", "unit tests, each on its own"),
              ("sanitized.", "all unit tests again under ASan and UBSan, as one"),
              ("exe.", "the executable check and the byte-identical build"),
              ("fuzz.", "fuzz targets, a few seconds each"),
              ("e2e.", "Wine scenarios, each for the Windows versions it depends on"),
              ("setup.", "the set-up, played on made-up machines"),
              ("lint.", "shellcheck over every shell script"),
              ("docs.", "the version, as LULL.TXT and the README give it")]
    ungrouped = [n for n in names if not n.startswith(tuple(prefix for prefix, _ in groups))]
    if ungrouped:
        sys.exit(f"figures: tests of no group in the table: {', '.join(ungrouped)}")
    rows = ["| tests | count |", "|---|---|"]
    for prefix, text in groups:
        rows.append(f"| `{prefix}*`: {text} | {sum(n.startswith(prefix) for n in names)} |")
    summary = re.search(r"^\d+% tests passed, \d+ tests failed out of \d+", log, re.M).group(0)
    took = re.search(r"Total Test time \(real\) = +([\d.]+) sec", log).group(1)
    sweep = ".\n".join(re.search(rf"^{name} sweep: .*", log, re.M).group(0)
                        for name in ("failure", "crash"))
    mode = re.search(r"^Wine tests: .*", log, re.M).group(0)
    return "\n".join(rows), summary, round(float(took)), sweep, mode


def mutant_line(log):
    """What was tried, and the closing line of make mutants."""
    sample = re.search(r"^mutants: (\d+) of (\d+) mutants, seed (\d+)$", log, re.M)
    took = re.search(r"^mutants: \d+ s, ([\d.]+) s a mutant", log, re.M).group(1)
    tried, size, seed = (int(group) for group in sample.groups())
    closing = re.search(r"^mutants: \d+ tried, .*", log, re.M).group(0)
    return (f"`make mutants`, the first {tried} of {number(size)} mutants as seed {seed} "
            f"shuffles them (known equivalents passed over), {took} s each: `{closing}`")


def machine():
    cpu = re.search(r"model name\s*: (.*)", pathlib.Path("/proc/cpuinfo").read_text()).group(1)
    memory = int(re.search(r"MemTotal:\s*(\d+)", pathlib.Path("/proc/meminfo").read_text())
                 .group(1)) / 1048576
    debian = pathlib.Path("/etc/debian_version").read_text().strip()
    gcc = output("i686-w64-mingw32-gcc", "-dumpfullversion")
    return (f"{os.cpu_count()} cores ({cpu}), {memory:.0f} GiB, Debian {debian} "
            f"(Linux {platform.release()}), MinGW-w64 GCC {gcc}")


def main():
    fuzz_seconds = sys.argv[1] if len(sys.argv) > 1 else "60"
    bench_rounds = [f"RUNS={sys.argv[2]}"] if len(sys.argv) > 2 else []
    LOGS.mkdir(parents=True, exist_ok=True)
    started = datetime.datetime.now(datetime.timezone.utc)
    tests = test_table(run("test", ["make", "test"]))
    mutants = mutant_line(run("mutants", ["make", "mutants"]))
    fuzz = fuzz_table(run("fuzz", ["make", "fuzz", f"FUZZ_SECONDS={fuzz_seconds}"]))
    bench = bench_table(run("bench", ["make", "bench", *bench_rounds]))
    sizes, imports = size_table(ROOT / "build" / "win32" / "lull.exe")
    commit = output("git", "log", "-1", "--format=%h (%cs)")
    changed = output("git", "status", "--porcelain", "--untracked-files=no", "--", ".",
                     ":!README.md")
    dirty = " with local changes" if changed else ""

    test_rows, summary, took, sweep, mode = tests
    bench_rows, rounds, wine = bench
    block = f"""{BEGIN}
Recorded by `make figures` on {started:%Y-%m-%d} from commit {commit}{dirty}, on {machine()}.

**Size.** `lull.exe` as built, section by section (512-byte file alignment):

{sizes}

{imports}

**Tests.** `make test`: {summary}, in {took} s. {mode}.
{sweep}.

{test_rows}

**Mutants.** {mutants}.

**Fuzzing.** `make fuzz`, {fuzz_seconds} s for each target, under ASan and UBSan:

{fuzz}

**Start-up.** `make bench`, {rounds} rounds of one run of each program, {wine}; a ratio is
the median of the rounds' own ratios:

{bench_rows}
{END}"""
    readme = ROOT / "README.md"
    text = readme.read_text()
    if BEGIN not in text or END not in text:
        sys.exit("figures: README.md has no figures markers")
    head, rest = text.split(BEGIN, 1)
    tail = rest.split(END, 1)[1]
    readme.write_text(head + block + tail)
    print(f"figures: README.md updated ({started:%Y-%m-%d}, commit {commit})")


if __name__ == "__main__":
    main()
