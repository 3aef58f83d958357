#!/usr/bin/env python3
"""make mutants: plants faults in the product's sources one at a time and runs the unit tests
against each, to measure how many of them the tests catch.

A mutant follows a rule: a comparison flipped or loosened, a constant changed by one, && and
|| swapped, a statement or a call removed, true and false swapped, or a cell of a constant
table given another row's value. Comments, texts, preprocessor lines and static_asserts are
left alone. The files are the sources cmake/lull_core.cmake lists (the wizard's core and the
companion's own) and the product headers they include. The mutants are shuffled by the seed, the known equivalents
(tests/mutants/equivalents.txt) passed over, and the first COUNT tried: each is written into
the worktree's file, unit_tests is built in build/mutants and run under a time-out, and the
file is put back. Survivors are printed as file:line: change, then the counts. A larger
COUNT tries the same mutants and more.

usage: mutants.py [COUNT [SEED]]          (50 mutants of the shuffle by seed 1)
       mutants.py --list [COUNT [SEED]]   names them only
       mutants.py --restore               puts back a file a stopped run left mutated
       --only=PREFIX[,PREFIX...]           with either: the mutants of the files whose path
                                           starts so (command/, settings/backup_table), to
                                           see what tests of those files catch
"""
import json
import os
import pathlib
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from collections import Counter
from typing import NamedTuple

ROOT = pathlib.Path(__file__).resolve().parent.parent
TREE = ROOT / "build" / "mutants"
SAVED = TREE / "original"  # while a mutant is in place: its file as it was,
MARK = TREE / "mutated.json"  # and that file's name
EQUIVALENTS = ROOT / "tests" / "mutants" / "equivalents.txt"
FOLDERS = ("platform/", "settings/", "operations/", "wizard/", "command/")
JOBS = os.environ.get("JOBS", "2")

SWAPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||",
         "||": "&&", "true": "false", "false": "true"}
# Binary operators stand between blanks (clang-format), template brackets and T&& do not.
OPERATOR = re.compile(r"(?<= )(<=|>=|==|!=|&&|\|\||<|>)(?= )|\b(true|false)\b")
NUMBER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+)(?=[uUlL]*(?![\w.']))")
ASSIGNMENT = re.compile(r"(=|\+=|-=|\*=|/=|%=|&=|\|=|\^=|<<=|>>=) ")
KEYWORDS = {"return", "break", "continue", "case", "default", "goto", "using", "typedef",
            "else", "do", "delete", "throw"}
TABLE = re.compile(r"\bconstexpr\b.*\bk\w+\[[^\]]*\] = \{$")


class Mutant(NamedTuple):
    path: str  # from the worktree's root
    line: int
    start: int  # the span of the file's text that the replacement takes
    end: int
    replacement: str
    change: str
    # The mutant's name, with path and change: the line as written, stripped; where it
    # stands (the nearest line before it that starts in the first column: its function,
    # struct or table); and the nearest line before it that is not blank.
    text: str
    scope: str
    after: str

    def key(self):
        return self.path, self.scope, self.after, self.text, self.change


def product_files():
    """The core's and the companion's sources as cmake/lull_core.cmake lists them, and the
    product headers they include, directly or not; the Windows-only sources are not in the
    native tree."""
    cmake = (ROOT / "cmake" / "lull_core.cmake").read_text()
    lists = re.findall(r"set\(LULL_(?:CORE|COMMAND)_SOURCES\s(.*?)\)", cmake, re.S)
    todo = " ".join(lists).split()
    files = []
    while todo:
        path = todo.pop(0)
        if path not in files and not pathlib.Path(path).name.startswith("win32_"):
            files.append(path)
            included = re.findall(r'^\s*#\s*include "([^"]+)"', (ROOT / path).read_text(), re.M)
            todo += [name for name in included if name.startswith(FOLDERS)]
    return sorted(files)


def masked(text):
    """The text with comments, preprocessor lines and static_asserts blanked and the insides
    of texts and characters filled with '_': the same length, the same lines."""
    out, at = list(text), 0

    def blank(start, end, fill=" "):
        for i in range(start, end):
            out[i] = out[i] if out[i] == "\n" else fill

    while at < len(text):
        end = at + 1
        if text.startswith(("//", "/*"), at):
            end = text.find("\n" if text[at + 1] == "/" else "*/", at + 2)
            end = len(text) if end < 0 else end + (text[at + 1] == "*") * 2
            blank(at, end)
        elif text[at] == '"' or (text[at] == "'" and not text[at - 1].isdigit()):
            while end < len(text) and text[end] != text[at]:
                end += 2 if text[end] == "\\" else 1
            blank(at + 1, end, "_")
            end += 1
        at = end
    code = "".join(out)
    for match in re.finditer(r"^[ \t]*#(?:.*\\\n)*.*$", code, re.M):
        blank(match.start(), match.end())
    for match in re.finditer(r"\bstatic_assert\s*\(", code):
        blank(match.start(), code.index(";", closing(code, match.end() - 1)) + 1)
    return "".join(out)


def closing(code, at):
    """The index just past the bracket that closes the one at `at`."""
    depth = 0
    for i in range(at, len(code)):
        depth += (code[i] in "([{") - (code[i] in ")]}")
        if depth == 0:
            return i + 1
    return len(code)


def in_function(code):
    """For each line, whether it starts in the body of a function (or lambda), not in a
    namespace, a class or an initializer."""
    inside, stack, prelude_at = [False], [], 0
    for at, char in enumerate(code):
        if char == "\n":
            inside.append(bool(stack) and stack[-1])
        elif char == "{":
            prelude = code[prelude_at:at].strip()
            body = re.search(r"(\)|\]|\b(const|else|do|noexcept|override|mutable))$", prelude)
            stack.append(bool(body) and not re.search(r"\b(struct|class|enum|union)\b", prelude))
        elif char == "}" and stack:
            stack.pop()
        if char in "{};":
            prelude_at = at + 1
    return inside


def expression_statement(code):
    """Whether a statement (without its ';') is a call, an assignment or an increment, not a
    declaration, which reads `Type name` at the outermost level."""
    word = re.match(r"[*+\-(]*(\w*)", code).group(1)
    if not word or word in KEYWORDS:
        return False
    depth = 0
    for at, char in enumerate(code):
        depth += (char in "([{") - (char in ")]}")
        if char == " " and depth == 0:
            return bool(ASSIGNMENT.match(code, at + 1))
    return "(" in code or "++" in code or "--" in code


def removal(code, inside, number):
    """The statement that starts on this line, or the one-statement body of the if, for or
    while on it: (its first column, its last line, the column past its end), or None."""
    line = code[number]
    head = re.match(r"\s*(\} )?(else )?(if|for|while) \(", line)
    if head:
        body_at = closing(line, head.end() - 1)
        body = line[body_at:].strip()
        if body.endswith(";") and (re.fullmatch(r"(return\b.*|break|continue);", body)
                                   or expression_statement(body[:-1])):
            return len(line) - len(line[body_at:].lstrip()), number, len(line.rstrip())
        return None
    previous = next((code[i].strip() for i in range(number - 1, -1, -1) if code[i].strip()), "")
    if not inside[number] or not line.strip() or not previous.endswith((";", "{", "}", ":")):
        return None
    depth = 0
    for end in range(number, len(code)):  # up to the ';' that ends it, brackets balanced
        for char in code[end]:
            depth += (char in "([{") - (char in ")]}")
            if depth < 0:
                return None
        if depth == 0 and code[end].rstrip().endswith(("{", "}")):
            return None
        if depth == 0 and code[end].rstrip().endswith(";"):
            statement = " ".join(code[i].strip() for i in range(number, end + 1))[:-1]
            if statement == "return" or expression_statement(statement):
                return len(line) - len(line.lstrip()), end, len(code[end].rstrip())
            return None
    return None


def tables_of(code, original):
    """The constant tables with one row a line: for each, its rows by line number, each row
    its fields as (start, end, text); a field that holds a text or a character reads '"'."""
    tables, rows = [], None
    for number, line in enumerate(code):
        stripped = line.strip()
        if TABLE.search(stripped):
            rows = {}
            tables.append(rows)
        elif rows is not None and stripped == "};":
            rows = None
        elif rows is not None and stripped.startswith("{") and stripped.rstrip(",").endswith("}"):
            start = line.index("{") + 1
            inner, fields, depth, at = line[start:line.rindex("}")] + ",", [], 0, 0
            for i, char in enumerate(inner):
                depth += (char in "([{") - (char in ")]}")
                if char == "," and depth == 0:
                    begin = start + at + len(inner[at:i]) - len(inner[at:i].lstrip())
                    field = inner[at:i].strip()
                    value = original[number][begin:begin + len(field)]
                    fields.append((begin, begin + len(field), value if value == field else '"'))
                    at = i + 1
            rows[number] = fields
    return tables


def cells(number, tables):
    """Each field of the row on this line, given the value of the next row that differs
    there (the first rows coming after the last)."""
    for rows in tables:
        if number in rows:
            lines = sorted(rows)
            later = lines[lines.index(number) + 1:] + lines[:lines.index(number)]
            for index, (start, end, value) in enumerate(rows[number]):
                new = next((rows[other][index][2] for other in later
                            if rows[other][index][2] != value), '"')
                if '"' not in value + new:
                    yield start, end, new, f"cell {index + 1}: '{value}' -> '{new}'"


def mutants_of(path):
    """Every mutant of one file, in the order of its text."""
    text = (ROOT / path).read_bytes().decode()
    original, code = text.split("\n"), masked(text).split("\n")
    starts = [0]
    for line in code:
        starts.append(starts[-1] + len(line) + 1)
    inside, tables, found = in_function("\n".join(code)), tables_of(code, original), []
    scope = after = ""
    for number, line in enumerate(code):
        if number > 0 and re.match(r"[^\s}/#]", original[number - 1]):
            scope = original[number - 1].strip()
        if number > 0 and original[number - 1].strip():
            after = original[number - 1].strip()
        changes = [(m.start(), m.end(), SWAPS[m[0]], f"'{m[0]}' -> '{SWAPS[m[0]]}'")
                   for m in OPERATOR.finditer(line)]
        for match in NUMBER.finditer(line):
            if re.search(r"\) (const )?= 0;$", line) and match.end() == len(line) - 1:
                continue  # a pure virtual function
            digits = match.group(1)
            value = int(digits, 0)
            for new in [value + 1] + [value - 1] * (value > 0):
                new = f"0x{new:X}" if digits[:2] in ("0x", "0X") else str(new)
                changes.append((match.start(), match.end(), new, f"'{digits}' -> '{new}'"))
        statement = removal(code, inside, number)
        if statement:
            start, last, end = statement
            end += starts[last] - starts[number]
            removed = " ".join(text[starts[number] + start:starts[number] + end].split())
            changes.append((start, end, "{}", f"'{removed}' removed"))
        changes += cells(number, tables)
        unique = {}  # one mutant for each replacement, whichever rules make it
        for start, end, new, change in changes:
            unique.setdefault((start, end, new), change)
        counts, seen = Counter(unique.values()), Counter()
        for (start, end, new), change in unique.items():
            if counts[change] > 1:  # the same change twice on the line: #1, #2
                seen[change] += 1
                change += f" #{seen[change]}"
            found.append(Mutant(path, number + 1, starts[number] + start, starts[number] + end,
                                new, change, original[number].strip(), scope, after))
    return found


def equivalents():
    """The known equivalents' keys: blocks of `file:`, `in:`, `after:`, `line:`, `change:`
    and `why:`."""
    entries, names = [], ["file", "in", "after", "line", "change", "why"]
    for block in re.split(r"\n\s*\n", EQUIVALENTS.read_text() if EQUIVALENTS.exists() else ""):
        fields, name = {}, None
        for row in block.splitlines():
            match = re.match(rf"({'|'.join(names)}): ?(.*)", row)
            if match:
                name, fields[match.group(1)] = match.group(1), match.group(2).strip()
            elif name and row.strip() and not row.startswith("#"):
                fields[name] += " " + row.strip()
        if fields and sorted(fields) != sorted(names):
            sys.exit(f"mutants: {EQUIVALENTS}: an entry needs {', '.join(names)}:\n{block.strip()}")
        if fields:
            entries.append(tuple(fields[name] for name in names[:-1]))
    return entries


def sample(count, seed, only=()):
    """The first `count` mutants of the shuffle by `seed` that are not known equivalents,
    in file order; how many equivalents came before them; and how many mutants there are.
    With `only`, the mutants of the files whose path starts with one of those."""
    pool = [mutant for path in product_files() for mutant in mutants_of(path)
            if not only or str(path).startswith(tuple(only))]
    named = Counter(mutant.key() for mutant in pool)
    known = set()
    for entry in equivalents():
        if named[entry] == 1:
            known.add(entry)
        else:  # an entry that names two mutants passes over neither
            print(f"mutants: {EQUIVALENTS.name} names {named[entry]} mutants, not one: "
                  f"{' | '.join(entry)}", file=sys.stderr)
    # The headers' mutants come last, one after the other: the build that follows a header
    # put back rebuilds what includes it, mostly what the next header's mutant needs rebuilt.
    position = {mutant: (mutant.path.endswith(".h"), index) for index, mutant in enumerate(pool)}
    random.Random(seed).shuffle(pool)
    chosen, skipped = [], 0
    for mutant in pool:
        if len(chosen) == count:
            break
        if mutant.key() in known:
            skipped += 1
        else:
            chosen.append(mutant)
    return sorted(chosen, key=position.get), skipped, len(pool)


def run(command, timeout):
    """True when the command succeeds within the time-out (in seconds). It runs in a process
    group of its own, killed whole when it does not end by itself (a time-out, Ctrl-C), so
    that no compiler is left to write an object after its file is put back."""
    process = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return process.wait(timeout) == 0
    except subprocess.TimeoutExpired:
        return False
    finally:
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def build():
    return run(["cmake", "--build", str(TREE), "--target", "unit_tests", "-j", JOBS], 1800)


def tests_pass(timeout):
    """The whole unit_tests binary, the sweeps included; a crash or a hang is a failure."""
    return run([str(TREE / "tests" / "unit_tests"), "--gtest_brief=1", "--gtest_fail_fast"],
               timeout)


def prepare():
    """Configures the tree once, then builds and runs the unit tests as they are, which must
    pass. Returns the time-out: ten times their time, at least 30 s."""
    if not (TREE / "CMakeCache.txt").exists():
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        # No build type: no optimisation and no debugging information, the quickest build.
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(TREE), "-DCMAKE_BUILD_TYPE=",
                        *generator], stdout=subprocess.DEVNULL, check=True)
    if not build():
        sys.exit(f"mutants: unit_tests does not build in {TREE} without a mutant")
    began = time.monotonic()
    if not tests_pass(None):
        sys.exit("mutants: the unit tests fail without a mutant")
    return max(30.0, 10 * (time.monotonic() - began))


def settled_write(path, data):
    """Writes a file later than the last object built, by the clock file times keep (a few
    milliseconds coarse), so that the build sees every object of the file out of date."""
    time.sleep(0.05)
    path.write_bytes(data)


def try_mutant(mutant, timeout):
    """'killed', 'survived' or 'did not build'. The file is always put back; before it
    changes, it is copied aside and named in MARK, so that a run that dies anyway leaves
    the way back (--restore), and the next run refuses to start until it is taken."""
    path = ROOT / mutant.path
    original = path.read_bytes()
    text = original.decode()
    shutil.copyfile(path, SAVED)
    MARK.write_text(json.dumps({"path": mutant.path}))
    try:
        settled_write(path, (text[:mutant.start] + mutant.replacement + text[mutant.end:]).encode())
        if not build():
            return "did not build"
        return "survived" if tests_pass(timeout) else "killed"
    finally:
        # A second Ctrl-C or a TERM must not cut the putting back short.
        signals = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}
        blocked = signal.pthread_sigmask(signal.SIG_BLOCK, signals)
        settled_write(path, original)
        SAVED.unlink()
        MARK.unlink()
        signal.pthread_sigmask(signal.SIG_SETMASK, blocked)


def restore():
    if not MARK.exists():
        return print("mutants: no file is left mutated")
    path = json.loads(MARK.read_text())["path"]
    shutil.copyfile(SAVED, ROOT / path)
    SAVED.unlink()
    MARK.unlink()
    return print(f"mutants: {path} is as it was before the run")


def main():
    args = [arg for arg in sys.argv[1:] if not arg.startswith("--")]
    if "--restore" in sys.argv:
        return restore()
    count, seed = (int(args[0]) if args else 50), (int(args[1]) if len(args) > 1 else 1)
    only = [prefix for arg in sys.argv if arg.startswith("--only=")
            for prefix in arg[len("--only="):].split(",") if prefix]
    chosen, skipped, size = sample(count, seed, only)
    print(f"mutants: {len(chosen)} of {size} mutants, seed {seed}", flush=True)
    if "--list" in sys.argv:
        return print("\n".join(f"{m.path}:{m.line}: {m.change}" for m in chosen))
    if MARK.exists():
        sys.exit(f"mutants: {json.loads(MARK.read_text())['path']} may still hold a mutant of "
                 "a run that was stopped: scripts/mutants.py --restore puts it back")
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, signal.default_int_handler)
    timeout = prepare()
    results, survivors, began = Counter(), [], time.monotonic()
    for index, mutant in enumerate(chosen, 1):
        started = time.monotonic()
        result = try_mutant(mutant, timeout)
        results[result] += 1
        name = f"{mutant.path}:{mutant.line}: {mutant.change}"
        survivors += [name] * (result == "survived")
        print(f"mutant {index}/{len(chosen)}: {name}: {result}, "
              f"{time.monotonic() - started:.1f} s", file=sys.stderr, flush=True)
    took = time.monotonic() - began
    print("\n".join(survivors + [
        f"mutants: {took:.0f} s, {took / max(len(chosen), 1):.1f} s a mutant; "
        f"{skipped} known equivalents passed over",
        f"mutants: {len(chosen)} tried, {results['killed']} killed, {results['survived']} "
        f"survived, {results['did not build']} did not build"]))
    return None


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        sys.exit("mutants: stopped; every file is as it was")
