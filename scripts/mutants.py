#!/usr/bin/env python3
"""make mutants: plants faults in the product's sources one at a time and runs the unit tests
against each, to measure how many of them the tests catch.

A mutant follows a rule, and the rules come in families: an operator (a comparison flipped
or loosened, && and || swapped, true and false swapped), a number changed by one, a
statement or a call removed, a cell of a constant table given another row's value, two
neighbouring statements of a block exchanged (a call moved), one operand of && or || dropped,
two neighbouring arguments of a call of the same declared type exchanged, and outside tables
a named constant or enumerator given the next one of its kind (kRowX -> kRowY, Kind::A ->
Kind::B). The closing line counts each family. Comments, texts, preprocessor lines and
static_asserts are left alone. The files are the sources cmake/lull_core.cmake lists (the
wizard's core and the companion's own) and the product headers they include. The mutants
are put in an order by the seed (one in which each keeps its place when the code around
others changes), the known equivalents
(tests/mutants/equivalents.txt) passed over, and the first COUNT tried: each is written into
the worktree's file, unit_tests is built in build/mutants and run under a time-out, and the
file is put back. A header's mutant must also leave the numbers taken from Windows as
Windows' headers give them (tests/e2e/windows_facts.cpp, as the Windows tree builds it). Survivors are printed as file:line: change, then the counts. A larger
COUNT tries the same mutants and more.

usage: mutants.py [COUNT [SEED]]          (50 mutants of the shuffle by seed 1)
       mutants.py --list [COUNT [SEED]]   names them only
       mutants.py --restore               puts back a file a stopped run left mutated
       --only=PREFIX[,PREFIX...]           with either: the mutants of the files whose path
                                           starts so (command/, settings/backup_table), to
                                           see what tests of those files catch
       --matrix                            runs every test against each mutant, not only up
                                           to the first failure, and writes which tests
                                           catch it to build/mutants/matrix.jsonl: a test
                                           that is the only one to catch none of them adds
                                           nothing the others do not (slower)
"""
import bisect
import hashlib
import json
import os
import pathlib
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
FOLDERS = ("platform/", "settings/", "operations/", "wizard/", "session/", "command/")
JOBS = os.environ.get("JOBS", "2")

SWAPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||",
         "||": "&&", "true": "false", "false": "true"}
# Binary operators stand between blanks (clang-format), template brackets and T&& do not.
OPERATOR = re.compile(r"(?<= )(<=|>=|==|!=|&&|\|\||<|>)(?= )|\b(true|false)\b")
NUMBER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+)(?=[uUlL]*(?![\w.']))")
ASSIGNMENT = re.compile(r"(=|\+=|-=|\*=|/=|%=|&=|\|=|\^=|<<=|>>=) ")
KEYWORDS = {"return", "break", "continue", "case", "default", "goto", "using", "typedef",
            "else", "do", "delete", "throw"}
# The rules, as the closing line counts them.
FAMILIES = ("operator", "number", "removal", "cell", "statement swap", "operand", "arguments",
            "constant")
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
    family: str = "operator"

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
    span = statement_span(code, inside, number)
    if span is None:
        return None
    statement = " ".join(code[i].strip() for i in range(number, span[1] + 1))[:-1]
    return span if statement == "return" or expression_statement(statement) else None


def statement_span(code, inside, number):
    """The statement that starts on this line after a ';', '{', '}' or ':' and ends in a ';'
    with its brackets balanced: (its first column, its last line, the column past its ';'),
    or None."""
    line = code[number]
    previous = next((code[i].strip() for i in range(number - 1, -1, -1) if code[i].strip()), "")
    if not inside[number] or not line.strip() or not previous.endswith((";", "{", "}", ":")):
        return None
    depth = 0
    for end in range(number, len(code)):
        for char in code[end]:
            depth += (char in "([{") - (char in ")]}")
            if depth < 0:
                return None
        if depth == 0 and code[end].rstrip().endswith(("{", "}")):
            return None
        if depth == 0 and code[end].rstrip().endswith(";"):
            return len(line) - len(line.lstrip()), end, len(code[end].rstrip())
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


CONTROL = re.compile(r"(\} )?(else|if|for|while|switch|return|break|continue|case|default|do|"
                     r"goto)\b|\}")


def statement_at(code, inside, number):
    """A statement of any kind, a declaration too, that starts on this line and is neither a
    control statement nor a block: (its first column, its last line, the column past its
    ';'), or None."""
    if CONTROL.match(code[number].strip()):
        return None
    return statement_span(code, inside, number)


# A declaration without an initializer, or with a literal or a named constant: it reads and
# changes nothing, so moving it past a statement that does not use its name changes nothing.
INERT = re.compile(r"(?:const\s+)?[\w:<>]+[\s*&]+\w+(?:\[[^\]]*\])?(?:\s*=\s*-?[\w.':]+|\s*\{\s*\})?")


def statement_swaps(code, inside, starts, text):
    """Two statements next to each other in a block, at least one of them a call, an
    assignment or an increment, exchanged: a call moved. A declaration does not move past a
    statement that uses its name, and one that reads nothing (INERT) does not move at all."""
    def plain(start, end):
        return " ".join(text[start:end].split())

    def declared(statement):
        match = re.match(r"[^=({]*?(\w+)\s*(?:[=({\[]|$)", statement)
        return None if expression_statement(statement) or not match else match.group(1)

    joined = "\n".join(code)
    for number in range(len(code) - 1):
        first = statement_at(code, inside, number)
        second = first and statement_at(code, inside, first[1] + 1)
        if not second or second[0] != first[0]:
            continue
        a = starts[number] + first[0], starts[first[1]] + first[2]
        b = starts[first[1] + 1] + second[0], starts[second[1]] + second[2]
        code_a = " ".join(joined[a[0]:a[1] - 1].split())
        code_b = " ".join(joined[b[0]:b[1] - 1].split())
        name = declared(code_a)
        if (code_a == code_b or (name and re.search(rf"\b{name}\b", code_b))
                or not (expression_statement(code_a) or expression_statement(code_b))
                or INERT.fullmatch(code_a) or INERT.fullmatch(code_b)):
            continue
        yield (a[0], b[1], text[b[0]:b[1]] + text[a[1]:b[0]] + text[a[0]:a[1]],
               f"swapped with '{plain(*b)}'", "statement swap")


def operand_edge(code, at, step, stops):
    """Where an operand of && or || that starts at `at` ends, going by `step`: at a bracket
    that closes what holds it, or at an operator that binds less tightly."""
    depth, i = 0, at
    while 0 <= i < len(code):
        char = code[i]
        opens, closes = (char in "([{"), (char in ")]}")
        depth += opens - closes if step == 1 else closes - opens
        if depth < 0:
            break
        if depth == 0:
            pair = (code[i:i + 2], code[i - 1:i + 1])
            if (char in ";,?" or any(token in stops for token in pair)
                    or (char == ":" and ":" not in (code[i - 1], code[i + 1]))
                    or (char == "=" and code[i - 1] not in "=!<>" and code[i + 1] != "=")
                    or (step == -1 and re.match(r"\breturn\b", code[i - 5:i + 1])
                        and not code[i - 6:i - 5].strip("_").isalnum())):
                break
        i += step
    return i


def operand_drops(code, text):
    """Each operand of && or || left out: one side of a condition dropped."""
    made = set()  # in a chain (a && b && c) b dropped by either operator is one mutant
    for match in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        stops = ("&&", "||") if match[0] == "&&" else ("||",)
        left = operand_edge(code, match.start() - 1, -1, stops) + 1
        right = operand_edge(code, match.end(), 1, stops)
        left += len(code[left:match.start()]) - len(code[left:match.start()].lstrip())
        left_end = match.start() - (len(code[left:match.start()]) -
                                    len(code[left:match.start()].rstrip()))
        right_start = match.end() + len(code[match.end():right]) - len(
            code[match.end():right].lstrip())
        right = right_start + len(code[right_start:right].rstrip())
        for start, end, dropped in ((left, right_start, (left, left_end)),
                                    (left_end, right, (right_start, right))):
            name = " ".join(text[dropped[0]:dropped[1]].split())
            if hash(text[:start] + text[end:]) in made:
                continue
            made.add(hash(text[:start] + text[end:]))
            yield match.start(), start, end, "", f"'{match[0]}': '{name}' dropped", "operand"


NOT_CALLS = {"if", "for", "while", "switch", "return", "sizeof", "alignof", "decltype",
             "noexcept", "static_assert", "defined"}
SIMPLE_ARGUMENT = re.compile(r"[&*]?[A-Za-z_][\w:]*(?:(?:\.|->)\w+)*|\d[\w']*")
INTEGERS = {"std::uint8_t", "std::uint16_t", "std::uint32_t", "std::size_t", "int", "unsigned",
            "long", "std::int32_t", "char"}
DECLARATION = re.compile(r"(?<![\w:.>])((?:std::)?[A-Za-z_]\w*(?:::\w+)*(?:<[^<>;()]*>)?)"
                         r"\s*([&*]?)\s*(?:const\s+)?([a-z_]\w*)\s*(?=[=;,)\[{]|$)", re.M)
NOT_TYPES = {"return", "else", "case", "delete", "new", "goto", "throw", "using", "typedef",
             "const", "constexpr", "inline", "static", "struct", "class", "enum", "namespace",
             "and", "or", "not", "do"}


def declarations(code):
    """(where, name, type) of each variable, parameter and field the text declares."""
    for match in DECLARATION.finditer(code):
        if match[1] not in NOT_TYPES:
            yield match.start(3), match[3], match[1] + match[2].replace("&", "")


def argument_type(argument, at, local, symbols):
    """The declared type of a simple argument, as far as the text says it, or None."""
    if argument[0].isdigit():
        return "number"
    if argument in ("true", "false"):
        return "bool"
    prefix = argument[0] if argument[0] in "&*" else ""
    name = argument.lstrip("&*")
    if name in symbols:
        return prefix + symbols[name][0]
    last = re.split(r"\.|->", name)[-1]
    if last == name:
        found = [kind for where, other, kind in local if other == name and where < at]
        if found:
            return prefix + found[-1]
    kinds = symbols.get(("field", last))
    return prefix + kinds if kinds else None


def agree(a, b):
    if None in (a, b):
        return False
    return a == b or ("number" in (a, b) and ({a, b} - {"number"}) <= INTEGERS)


def argument_swaps(code, text, symbols):
    """Two neighbouring arguments of a call exchanged, where both are names or constants of
    the same declared type (so that the mutant builds)."""
    local = list(declarations(code))
    for match in re.finditer(r"\b([A-Za-z_]\w*)\s*\(", code):
        if match[1] in NOT_CALLS:
            continue
        opening = match.end() - 1
        inner_end = closing(code, opening) - 1
        arguments, depth, begin = [], 0, opening + 1
        for at in range(opening + 1, inner_end + 1):
            depth += (code[at] in "([{") - (code[at] in ")]}")
            if (code[at] == "," and depth == 0) or at == inner_end:
                piece = code[begin:at]
                start = begin + len(piece) - len(piece.lstrip())
                arguments.append((start, start + len(piece.strip())))
                begin = at + 1
        for (a_start, a_end), (b_start, b_end) in zip(arguments, arguments[1:]):
            a, b = code[a_start:a_end], code[b_start:b_end]
            if (a != b and SIMPLE_ARGUMENT.fullmatch(a) and SIMPLE_ARGUMENT.fullmatch(b)
                    and agree(argument_type(a, a_start, local, symbols),
                              argument_type(b, b_start, local, symbols))):
                yield (a_start, a_start, b_end, text[b_start:b_end] + text[a_end:b_start]
                       + text[a_start:a_end], f"arguments '{a}', '{b}' swapped", "arguments")


_symbols = {}


def symbols():
    """The product's named constants and enumerators, each as it is written where it is used,
    with (its type, the names of its kind in the order they are declared, where each stands
    where it is declared); and ("field", name) -> type for the names of variables and fields
    that have one type wherever they are declared."""
    if _symbols:
        return _symbols
    groups, places, fields = {}, {}, {}
    for path in product_files():
        code = masked((ROOT / path).read_text())
        for match in re.finditer(r"\benum\s+(class\s+)?(\w+)[^{;]*\{([^}]*)\}", code):
            names = re.findall(r"(?:^|,)\s*(\w+)", match[3])
            qualified = [f"{match[2]}::{name}" if match[1] else name for name in names]
            groups[("enum", match[2])] = qualified
            for name in qualified:
                places[name] = (path, match.start(3), match.end(3))
        for match in re.finditer(r"\bconstexpr\s+([^;(){}=]+?)\s*\b(k[A-Z]\w*)\s*(\[[^\]]*\])?"
                                 r"\s*(?:=|\{)", code):
            kind = " ".join(match[1].split()) + ("[]" if match[3] else "")
            if kind != "auto":
                groups.setdefault((kind, path), []).append(match[2])
                places[match[2]] = (path, match.start(2), match.end(2))
        for _, name, kind in declarations(code):
            fields.setdefault(name, set()).add(kind)
    for group, names in groups.items():
        kind = group[1] if group[0] == "enum" else group[0]
        for name in names:
            _symbols[name] = (kind, names, places[name])
    for name, kinds in fields.items():
        if len(kinds) == 1:
            _symbols[("field", name)] = kinds.pop()
    return _symbols


def constant_swaps(path, code, table_lines, line_of):
    """Outside tables, a named constant or enumerator given the next one of its kind: a wrong
    row, place or page."""
    known = {name: value for name, value in symbols().items() if isinstance(name, str)}
    if not known:
        return
    pattern = re.compile(r"(?<![\w:])(" + "|".join(
        re.escape(name) for name in sorted(known, key=len, reverse=True)) + r")(?![\w:])")
    for match in pattern.finditer(code):
        kind, names, (where, start, end) = known[match[1]]
        if len(names) < 2 or line_of(match.start()) in table_lines or (
                where == path and start <= match.start() < end):
            continue
        # The next of its kind, among those whose name starts with the same word if there are
        # any (kRowFlag -> kRowScreenSaver, kExitDone -> kExitFailed): the likely slip.
        word = re.match(r"(?:\w+::)?k?[A-Z][a-z0-9]*", match[1])[0]
        alike = [name for name in names if name.startswith(word)]
        alike = alike if len(alike) > 1 else names
        new = alike[(alike.index(match[1]) + 1) % len(alike)]
        line = code[code.rfind("\n", 0, match.start()) + 1:].lstrip()
        if line.startswith("case ") and re.search(rf"\bcase {re.escape(new)}:", code):
            continue  # a second label for one case does not build
        yield match.start(), match.start(), match.end(), new, f"'{match[1]}' -> '{new}'", "constant"


def mutants_of(path):
    """Every mutant of one file, in the order of its text."""
    text = (ROOT / path).read_bytes().decode()
    original, code = text.split("\n"), masked(text).split("\n")
    starts = [0]
    for line in code:
        starts.append(starts[-1] + len(line) + 1)
    inside, tables, found = in_function("\n".join(code)), tables_of(code, original), []
    joined = "\n".join(code)

    def line_of(at):
        return bisect.bisect_right(starts, at) - 1

    # The families that need the whole file: each mutant as (where its line is, start, end,
    # replacement, change, family), kept by its line.
    whole = [(start, start, end, new, change, family)
             for start, end, new, change, family in statement_swaps(code, inside, starts, text)]
    whole += [*operand_drops(joined, text), *argument_swaps(joined, text, symbols())]
    table_lines = {number for rows in tables for number in rows}
    whole += constant_swaps(path, joined, table_lines, line_of)
    by_line = {}
    for at, start, end, new, change, family in whole:
        number = line_of(at)
        by_line.setdefault(number, []).append(
            (start - starts[number], end - starts[number], new, change, family))
    scope = after = ""
    for number, line in enumerate(code):
        if number > 0 and re.match(r"[^\s}/#]", original[number - 1]):
            scope = original[number - 1].strip()
        if number > 0 and original[number - 1].strip():
            after = original[number - 1].strip()
        changes = [(m.start(), m.end(), SWAPS[m[0]], f"'{m[0]}' -> '{SWAPS[m[0]]}'", "operator")
                   for m in OPERATOR.finditer(line)]
        for match in NUMBER.finditer(line):
            if re.search(r"\) (const )?= 0;$", line) and match.end() == len(line) - 1:
                continue  # a pure virtual function
            digits = match.group(1)
            value = int(digits, 0)
            for new in [value + 1] + [value - 1] * (value > 0):
                new = f"0x{new:X}" if digits[:2] in ("0x", "0X") else str(new)
                changes.append((match.start(), match.end(), new, f"'{digits}' -> '{new}'",
                                "number"))
        statement = removal(code, inside, number)
        if statement:
            start, last, end = statement
            end += starts[last] - starts[number]
            removed = " ".join(text[starts[number] + start:starts[number] + end].split())
            changes.append((start, end, "{}", f"'{removed}' removed", "removal"))
        changes += [cell + ("cell",) for cell in cells(number, tables)]
        changes += by_line.get(number, [])
        unique = {}  # one mutant for each replacement, whichever rules make it
        for start, end, new, change, family in changes:
            unique.setdefault((start, end, new), (change, family))
        counts, seen = Counter(change for change, _ in unique.values()), Counter()
        for (start, end, new), (change, family) in unique.items():
            if counts[change] > 1:  # the same change twice on the line: #1, #2
                seen[change] += 1
                change += f" #{seen[change]}"
            found.append(Mutant(path, number + 1, starts[number] + start, starts[number] + end,
                                new, change, original[number].strip(), scope, after, family))
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
        if only and not entry[0].startswith(tuple(only)):
            continue
        if named[entry] == 1:
            known.add(entry)
        else:  # an entry that names two mutants passes over neither
            print(f"mutants: {EQUIVALENTS.name} names {named[entry]} mutants, not one: "
                  f"{' | '.join(entry)}", file=sys.stderr)
    # The headers' mutants come last, one after the other: the build that follows a header
    # put back rebuilds what includes it, mostly what the next header's mutant needs rebuilt.
    position = {mutant: (mutant.path.endswith(".h"), index) for index, mutant in enumerate(pool)}
    # Each mutant's place in the order comes from its own name and the seed alone, so that a
    # change elsewhere in the code leaves the others where they were: runs before and after
    # a change try the same mutants wherever the code is the same.
    pool.sort(key=lambda mutant: hashlib.sha256(
        "\0".join((str(seed),) + mutant.key()).encode()).digest())
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


# The numbers the program takes from Windows, which the Windows tree checks against Windows'
# own headers when it builds; with MinGW-w64 at hand, a header's mutant is checked so too.
WINDOWS_FACTS = ROOT / "tests" / "e2e" / "windows_facts.cpp"
MINGW = shutil.which("i686-w64-mingw32-g++")


def windows_facts_hold():
    return MINGW is None or run([MINGW, "-std=c++20", "-fsyntax-only", f"-I{ROOT}",
                                 str(WINDOWS_FACTS)], 120)


MATRIX = TREE / "matrix.jsonl"
FAILED_TEST = re.compile(r"^\[  FAILED  \] (\S+?)(?:/\d+)?(?:, where| \(|$)", re.M)
RUNNING_TEST = re.compile(r"^\[ RUN      \] (\S+?)(?:/\d+)?$", re.M)


def tests_pass(timeout, catchers=None):
    """The whole unit_tests binary, the sweeps included; a crash or a hang is a failure.
    Given a set, every test runs and the names of those that fail go into it; a crash or a
    hang names the test it stopped in."""
    command = [str(TREE / "tests" / "unit_tests"), "--gtest_brief=1", "--gtest_fail_fast"]
    if catchers is None:
        return run(command, timeout)
    process = subprocess.Popen(command[:1], cwd=ROOT, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, errors="replace",
                               start_new_session=True)
    try:
        output, ended = process.communicate(timeout=timeout)[0], True
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        output, ended = process.communicate()[0], False
    catchers.update(FAILED_TEST.findall(output))
    if not ended or process.returncode not in (0, 1):
        catchers.update(RUNNING_TEST.findall(output)[-1:])
    return ended and process.returncode == 0


def prepare():
    """Configures the tree once, then builds and runs the unit tests as they are, which must
    pass. Returns the time-out: ten times their time, at least 30 s."""
    if not (TREE / "CMakeCache.txt").exists():
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        # No build type: no optimisation and no debugging information, the quickest build.
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(TREE), "-DCMAKE_BUILD_TYPE=",
                        *generator], stdout=subprocess.DEVNULL, check=True)
    if not build() or not windows_facts_hold():
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


def try_mutant(mutant, timeout, catchers=None):
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
        if not build() or (mutant.path.endswith(".h") and not windows_facts_hold()):
            return "did not build"
        return "survived" if tests_pass(timeout, catchers) else "killed"
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
        return print("\n".join(f"{m.path}:{m.line}: {m.change} ({m.family})" for m in chosen))
    if MARK.exists():
        sys.exit(f"mutants: {json.loads(MARK.read_text())['path']} may still hold a mutant of "
                 "a run that was stopped: scripts/mutants.py --restore puts it back")
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, signal.default_int_handler)
    timeout = prepare()
    if "--matrix" in sys.argv:
        MATRIX.write_text("")
    results, survivors, began = Counter(), [], time.monotonic()
    families = {family: Counter() for family in FAMILIES}
    for index, mutant in enumerate(chosen, 1):
        started = time.monotonic()
        catchers = set() if "--matrix" in sys.argv else None
        result = try_mutant(mutant, timeout, catchers)
        if catchers is not None:
            with open(MATRIX, "a") as out:
                out.write(json.dumps({"mutant": f"{mutant.path}:{mutant.line}: {mutant.change}",
                                      "result": result, "caught by": sorted(catchers)}) + "\n")
        results[result] += 1
        families[mutant.family].update(["tried", result])
        name = f"{mutant.path}:{mutant.line}: {mutant.change}"
        survivors += [name] * (result == "survived")
        print(f"mutant {index}/{len(chosen)}: {name}: {result}, "
              f"{time.monotonic() - started:.1f} s", file=sys.stderr, flush=True)
    took = time.monotonic() - began
    print("\n".join(survivors + [
        f"mutants: {took:.0f} s, {took / max(len(chosen), 1):.1f} s a mutant; "
        f"{skipped} known equivalents passed over",
        f"mutants: {len(chosen)} tried, {results['killed']} killed, {results['survived']} "
        f"survived, {results['did not build']} did not build; by family (tried/killed/"
        "survived/did not build): " + ", ".join(
            f"{family} {counts['tried']}/{counts['killed']}/{counts['survived']}/"
            f"{counts['did not build']}" for family, counts in families.items())]))
    return None


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        sys.exit("mutants: stopped; every file is as it was")
