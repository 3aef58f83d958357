#!/usr/bin/env python3
"""Checks the PE layout that Windows 95/98/Me's loader needs, which Wine does not enforce
for i386 (it checks the section alignment only for other machines), and that every stack
frame of a page or more is probed, as a thread's stack grows one guard page at a time.

usage: check_layout.py LULL.EXE LULL.MAP
Prints one line; each fault on a line of its own, beginning with FAIL; exits 1 on any.
"""
import re
import struct
import subprocess
import sys

SECTION_ALIGNMENT = 0x1000
FILE_ALIGNMENT = 0x200
IMAGE_BASE = 0x400000
PAGE = 0x1000
RELOCS_STRIPPED = 0x0001
MEM_WRITE = 0x80000000
OBJDUMP = "i686-w64-mingw32-objdump"

faults = []


def fail(message):
    faults.append(message)


def up(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def main():
    exe_path, map_path = sys.argv[1], sys.argv[2]
    data = open(exe_path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections_count, optional_size, characteristics = struct.unpack_from("<H12xHH", data, pe + 6)
    optional = pe + 24
    image_base, section_alignment, file_alignment = struct.unpack_from("<3I", data, optional + 28)
    image_size, headers_size = struct.unpack_from("<2I", data, optional + 56)
    directories = [struct.unpack_from("<2I", data, optional + 96 + 8 * i) for i in range(16)]
    table = optional + optional_size
    # (name, virtual size, RVA, raw size, raw offset, flags) of each section header.
    sections = []
    for i in range(sections_count):
        header = struct.unpack_from("<8s6I2HI", data, table + 40 * i)
        sections.append((header[0].rstrip(b"\0").decode(), *header[1:5], header[-1]))

    if section_alignment != SECTION_ALIGNMENT:
        fail(f"section alignment {section_alignment:#x}, not {SECTION_ALIGNMENT:#x}")
    if file_alignment != FILE_ALIGNMENT:
        fail(f"file alignment {file_alignment:#x}, not {FILE_ALIGNMENT:#x}")
    if image_base != IMAGE_BASE:
        fail(f"image base {image_base:#x}, not {IMAGE_BASE:#x}")
    if not characteristics & RELOCS_STRIPPED or directories[5][1]:
        fail("relocations kept (no stripped flag, or a relocation table): the image must be "
             "fixed at its base")
    if headers_size < table + 40 * sections_count or headers_size % file_alignment:
        fail(f"SizeOfHeaders {headers_size:#x} does not cover the section table "
             f"(ends at {table + 40 * sections_count:#x}) in whole file-alignment units")

    # Back to back in memory from the first page after the headers, and in the file.
    next_rva, next_raw = up(headers_size, section_alignment), headers_size
    for name, virtual_size, rva, raw_size, raw_offset, _ in sections:
        if rva != next_rva:
            fail(f"{name} at {rva:#x}, not at {next_rva:#x} where the section before ends")
        if raw_offset % file_alignment or raw_size % file_alignment or raw_offset != next_raw:
            fail(f"{name}'s raw data at {raw_offset:#x}+{raw_size:#x}: not at {next_raw:#x}, "
                 f"in whole file-alignment units")
        next_rva = rva + up(max(virtual_size, raw_size), section_alignment)
        next_raw = raw_offset + raw_size
    if next_raw > len(data):
        fail(f"the sections' raw data end at {next_raw:#x}, beyond the file's {len(data):#x} bytes")
    if image_size != next_rva:
        fail(f"SizeOfImage {image_size:#x}, not {next_rva:#x} where the last section ends")

    # The loader writes the import addresses in place.
    for what, (rva, size) in (("import table", directories[1]), ("IAT", directories[12])):
        home = [s for s in sections if s[2] <= rva and rva + size <= s[2] + max(s[1], s[3])]
        if not size or not home or not home[0][5] & MEM_WRITE:
            fail(f"the {what} ({rva:#x}+{size:#x}) is not in a writable section")

    probed = check_stack_probes(exe_path, map_path, image_base, sections)
    print(f"layout: {sections_count} sections, section/file alignment {section_alignment:#x}/"
          f"{file_alignment:#x}, image {image_size:#x} at {image_base:#x}, "
          f"frames probed: {probed or 'none'}")
    for fault in faults:
        print(f"FAIL: {fault}")
    sys.exit(1 if faults else 0)


def check_stack_probes(exe_path, map_path, image_base, sections):
    """A frame of a page or more must be allocated as GCC does with a probe: the size in
    %eax, a call to __chkstk_ms, which touches each page in turn, then sub %eax,%esp. Any
    other lowering of %esp by a page or more, or by a register, fails."""
    symbols = {}
    for line in open(map_path):
        match = re.match(r"^\s+0x([0-9a-f]+)\s+([A-Za-z_]\w*)(\s+=.*)?\s*$", line)
        if match:
            symbols.setdefault(match.group(2), int(match.group(1), 16))
    text = [s for s in sections if s[0] == ".text"]
    if "__lull_code_end__" not in symbols or not text:
        fail(f"no .text or no __lull_code_end__ in {map_path}: cannot find the code")
        return ""
    start, end = image_base + text[0][2], symbols["__lull_code_end__"]
    if not start < end <= start + text[0][1]:
        fail(f"{map_path} is not the map of {exe_path}: its code ends at {end:#x}, outside .text")
        return ""
    probe = symbols.get("__chkstk_ms")
    listing = subprocess.run([OBJDUMP, "-d", "--no-show-raw-insn", f"--start-address={start:#x}",
                              f"--stop-address={end:#x}", exe_path],
                             capture_output=True, text=True, check=True).stdout
    instructions = re.findall(r"^\s*([0-9a-f]+):\t(\S+)\s*(.*)$", listing, re.M)
    if not instructions:
        fail("no instruction found in the code (objdump output changed?)")
    # The symbol before an address, to name where a fault is.
    named = sorted((a, n) for n, a in symbols.items() if start <= a < end)

    def where(address):
        base = max((s for s in named if s[0] <= address), default=(start, ".text"))
        return f"at {address:#x} ({base[1]}+{address - base[0]:#x})"

    probed = []
    # The size last put in %eax, and that size once the probe has been called with it.
    size = probed_size = None
    for address, mnemonic, operands in instructions:
        address, lowered = int(address, 16), None
        if mnemonic == "mov" and re.fullmatch(r"\$0x[0-9a-f]+,%eax", operands):
            size, probed_size = int(operands[1:-5], 16), None
            continue
        if mnemonic == "call" and probe is not None and operands == f"{probe:#x}":
            probed_size = size
            continue
        if mnemonic == "sub" and operands == "%eax,%esp" and probed_size is not None:
            probed.append(f"{probed_size:,} bytes {where(address)}")
            size = probed_size = None
        elif mnemonic == "sub" and re.fullmatch(r"\$0x[0-9a-f]+,%esp", operands):
            lowered = int(operands[1:-5], 16)
        elif mnemonic == "add" and re.fullmatch(r"\$0xf[0-9a-f]{7},%esp", operands):
            lowered = 0x100000000 - int(operands[1:-5], 16)
        elif mnemonic == "lea" and re.fullmatch(r"-0x[0-9a-f]+\(%esp\),%esp", operands):
            lowered = int(operands[1:operands.index("(")], 16)
        elif mnemonic == "sub" and operands.endswith(",%esp"):
            fail(f"sub {operands} {where(address)}: %esp lowered by a register without the probe")
        if lowered is not None and lowered >= PAGE:
            fail(f"{mnemonic} {operands} {where(address)}: a frame of {lowered:,} bytes "
                 f"without the probe")
        # Whatever may change %eax, or leave the straight line, forgets the size.
        if re.search(r"%(e?ax|al|ah)$", operands) or mnemonic in (
                "call", "ret", "cltd", "cwtl", "mul", "imul", "div", "idiv", "xchg") or \
                mnemonic.startswith(("j", "lods", "loop")):
            size = probed_size = None
    return ", ".join(probed)


if __name__ == "__main__":
    main()
