#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/, and the
regression inputs into tests/fuzz/regressions/<target>/.

The targets read their input through libFuzzer's FuzzedDataProvider: strings and byte
blocks from the front, numbers and choices from the back. Input below encodes a sequence
of those calls, in the order the target makes them, so each seed says what it means. What
the settings target's input holds (keys, places and backup rows, clicks, times, calls) it
prints from the product's tables. Run it again after changing the order in which a target
reads its input, or the tables: python3 tests/fuzz/make_seeds.py [build/fuzz/fuzz_settings]
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TARGET = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "../../build/fuzz/fuzz_settings")


# What the settings target's input holds: lists of words by field, in the target's order.
LAYOUT = {}
for line in subprocess.run([TARGET], env=dict(os.environ, LULL_FUZZ_DESCRIBE="1"), check=True,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout.splitlines():
    LAYOUT.setdefault(line.split()[0], []).append(line.split()[1:])
CALLS = [name for name, in LAYOUT["call"]]
# The backup's screen-saver row holds at most this many bytes, in System.Ini's target too.
ROW_CAPACITY = next(int(size) for key, _, kind, size, _ in LAYOUT["place"]
                    if key == "Backup" and kind == "program")


class Input:
    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()  # in the order the target takes the bytes

    def integral(self, value, low, high, bits=64):
        span, offset, count = high - low, 0, 0
        while offset < bits and (span >> offset) > 0:
            count += 1
            offset += 8
        assert low <= value <= high
        self.back += (value - low).to_bytes(count, "big")
        return self

    def byte(self, value):
        return self.integral(value, 0, 255, 8)

    def boolean(self, value):
        return self.byte(1 if value else 0)

    def pick(self, index, count):
        return self.integral(index, 0, count - 1)

    def raw(self, data):
        self.front += data
        return self

    def string(self, text):
        # A backslash is doubled; a backslash and any other byte ends the string.
        self.front += text.replace(b"\\", b"\\\\") + b"\\E"
        return self

    def failing(self, call):
        """A call that fails, as (kind, its number among the calls of its kind), or None."""
        kind, nth = call or (CALLS[0], 0)
        return self.boolean(call is not None).pick(CALLS.index(kind), len(CALLS)).integral(
            nth, 0, 63, 32)

    def data(self, rest=b""):
        return bytes(self.front) + rest + bytes(reversed(self.back))


def write(target, name, data, folder="corpus"):
    folder = os.path.join(HERE, folder, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as seed:
        seed.write(data)


# --- command_line: keyword length, start, limit (back); keyword (front); the line ---

def command_line(name, line, keyword=b"/?", start=0, limit=0xFFFF):
    seed = Input().integral(len(keyword), 1, 8, 8).integral(start, 0, 0xFFFF, 16)
    seed.integral(limit, 0, 0xFFFF, 16).raw(keyword)
    write("command_line", name, seed.data(line))


command_line("quoted_path", b'"C:\\Program Files\\Tools\\WIZARD.EXE" /?')
command_line("own_directory", b"WIZARD.EXE    /?")
command_line("block_hides_switch", b"wizard.exe ~~ note ~~ /?")
command_line("comment_hides_switch", b"wizard.exe ;/?", keyword=b"X", start=3, limit=9)
command_line("open_block", b"wizard.exe //?")
command_line("exe_in_directory", b"C:\\my.exes\\W.EXE /?")
command_line("no_extension", b"C:\\Tools\\WIZARD /? C:\\Temp\\x")
command_line("equals_between_spaces", b'x.exe name " = " value  = = x', keyword=b"e=v")
command_line("longer_than_buffer", b"C:\\LULL.EXE " + b"a " * 300 + b"/?")
command_line("line_ends", b"a;b\r\n\r\nc~~d~~e\nkey", keyword=b"KEY", start=1, limit=30)

# --- arguments: lullcmd's command line, as it is ---

def arguments(name, line):
    write("arguments", name, line)


arguments("activate_moving", b'"C:\\Program Files\\Lull\\lullcmd.exe" activate 15 /move')
arguments("switches_first", b"LULLCMD.EXE -MOVE /Log x.log\tACTIVATE 010")
arguments("quoted_log", b'lullcmd status /log "C:\\Lull Logs\\lull.log"')
arguments("quote_inside_word", b'lullcmd reset -log C:\\"Lull Logs"\\lull.log')
arguments("usage_anywhere", b"lullcmd bogus /? /move")
arguments("minutes_wrap_round", b"lullcmd activate 4294967306")
arguments("log_without_file", b"lullcmd reset /log")
arguments("longer_than_buffer", b"lullcmd status" + b" " * 498)

# --- system_ini: options, failing call, mode, padding, row length, fill (back);
#     saved text (front); the file ---

NO_FILE, OLD_KEPT, OLD_TEMP, PAD, ANY_LENGTH = 1, 2, 4, 8, 16
SAVED = b"SCRNSAVE.EXE=C:\\WINDOWS\\BLANK.SCR"
FOUR_LINES = (b"[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\r\n"
              b"drivers=mmsystem.dll\r\n")


def system_ini(name, content, saved=SAVED, options=0, fails=None, mode=0, padding=0, length=0):
    seed = Input().byte(options).failing(fails).integral(mode, 0, 2, 32)
    seed.integral(padding, 0, 8).integral(length, 0, ROW_CAPACITY, 32).byte(0xA5).string(saved)
    write("system_ini", name, seed.data(content))


system_ini("replace_third_line", FOUR_LINES)
system_ini("insert_after_header", b"[boot]\r\nshell=Explorer.exe\r\n")
system_ini("only_in_comments", b"[Boot]\n;x\n;SCRNSAVE.EXE=C:\\OLD.SCR\nshell=x\n")
system_ini("comment_mid_line", b"[boot]\r\nshell=a.exe ;SCRNSAVE.EXE=old\r\n")
system_ini("lf_lf_line_end", b"[boot]\nSCRNSAVE.EXE=old\n\nx=1\n")
system_ini("header_ends_file", b"x=1\r\n[boot] trailing", options=OLD_KEPT | OLD_TEMP)
system_ini("key_ends_file", b"[boot]\r\nscrnsave.exe=old", saved=b"")
system_ini("largest_file", b"[boot]\r\n", padding=4, options=PAD)
system_ini("one_byte_too_large", b"[boot]\r\n", padding=5, options=PAD)
system_ini("no_place", b"[386Enh]\r\nwoafont=dosapp.fon\r\n")
system_ini("missing_file", b"", options=NO_FILE)
system_ini("terminator_only_row", FOUR_LINES, options=ANY_LENGTH, length=1)
system_ini("rename_fails", FOUR_LINES, options=OLD_KEPT, fails=("MoveFile", 0))
system_ini("short_write", FOUR_LINES, fails=("WriteFile", 1), mode=2)

# --- settings: see settings_fuzzer.cpp for the order; places are named KEY/NAME ---

VERSIONS = {"95": 0, "98": 1, "Me": 2, "2000": 3, "XP": 4, "NT4": 5}
SCHEMES = b"0139"
# Key states: 0 missing, 1 read-only, 2 and 3 writable.
MISSING, READ_ONLY, WRITABLE = 0, 1, 2
KEYS = [key for key, in LAYOUT["key"]]
PLACES = [(f"{key}/{name}", kind, int(size), int(offset))
          for key, name, kind, size, offset in LAYOUT["place"]]
CLICKS = [name for name, in LAYOUT["click"]]
TIMES = [minutes for minutes, in LAYOUT["time"]]
SWITCHES = b"012"
TYPES = [0, 1, 2, 3, 4, 7, 11, 0xFFFFFFFF]


def record(size, timeout, offset):
    data = bytearray((0x10 + at) & 0xFF for at in range(size))
    data[offset:offset + 4] = timeout.to_bytes(4, "little")
    return bytes(data)


def settings(name, version, keys, values, clicks=(), ini=0, ini_text=b"", radio="15",
             move=True, scheme=0, activation_fails=None, reset_fails=None, failure_mode=0,
             folder="corpus"):
    """values: place -> ("well", number, bytes or a record's video time-out)
    | ("text", bytes, terminated) | ("any", type, size, pattern)."""
    unknown = (set(keys) - set(KEYS)) | (set(values) - {place for place, *_ in PLACES})
    assert not unknown, f"{name}: no such key or place: {unknown}"
    seed = Input().pick(VERSIONS[version], len(VERSIONS)).pick(scheme, len(SCHEMES))
    for key in KEYS:
        seed.integral(keys.get(key, WRITABLE), 0, 3, 32)
    for place, kind, size, offset in PLACES:
        value = values.get(place)
        if value is None:
            seed.integral(0, 0, 3, 32)
        elif value[0] == "well":
            seed.integral(1, 0, 3, 32)
            given = value[1]
            seed.integral(given if isinstance(given, int) and kind != "record" else 0, 0, 99999, 32)
            if kind == "switch":
                seed.pick(SWITCHES.index(given) if isinstance(given, bytes) else 1, 3)
            elif kind == "record":
                seed.raw(record(size, given, offset))
        elif value[0] == "text":
            seed.integral(2, 0, 3, 32).string(value[1]).boolean(value[2])
        else:
            _, kind, size, pattern = value
            seed.integral(3, 0, 3, 32).pick(TYPES.index(kind), len(TYPES))
            seed.integral(size, 0, 300, 32).integral(len(pattern), 0, 16, 32).raw(pattern)
    seed.integral(ini, 0, 2, 32)
    if ini == 2:
        seed.string(ini_text)
    seed.integral(len(clicks), 0, 10, 32)
    for click in clicks:
        seed.pick(CLICKS.index(click), len(CLICKS))
    seed.pick(TIMES.index(radio), len(TIMES)).boolean(move)
    seed.failing(activation_fails).failing(reset_fails).integral(failure_mode, 0, 2, 32)
    write("settings", name, seed.data(), folder)


def at(key, **values):
    return {f"{key}/{name}": value for name, value in values.items()}


def switch(character):
    return ("well", character)


TYPICAL = (at("Desktop", ScreenSaveActive=switch(b"1"), ScreenSaveTimeOut=("well", 1200),
              ScreenSavePowerOffActive=switch(b"0"), ScreenSavePowerOffTimeOut=("well", 0))
           | at("PowerCfg", CurrentPowerPolicy=("well", 0)) | at("Scheme", Policies=("well", 0))
           | at("CurrentControlSet", AcPolicy=("well", 0))
           | at("ControlSet001", AcPolicy=("well", 0)))
NO_BACKUP = {"Backup": MISSING}

settings("xp_typical_activation", "XP", NO_BACKUP, TYPICAL,
         clicks=["next", "15", "next", "next", "finish"])
settings("xp_already_asleep", "XP", NO_BACKUP, TYPICAL | at("Scheme", Policies=("well", 900)),
         clicks=["20", "next", "next", "finish"])
BACKUP = TYPICAL | at("Backup", LullResetFlag=switch(b"1"), LullResetTimeOut=("well", 600),
                      LullResetScrnSaveAct=switch(b"1"), LullResetPowerPolicy=("well", 0),
                      LullResetPolicies=("well", 0), LullResetScrnSave=("well", 0))
settings("xp_reset", "XP", {}, BACKUP, clicks=["no", "next", "yes", "next", "finish"])
settings("98_reset_with_system_ini", "98", {}, BACKUP, ini=1,
         clicks=["no", "next", "next", "finish"])
settings("95_power_off_active", "95", NO_BACKUP,
         TYPICAL | at("Desktop", ScreenSavePowerOffActive=switch(b"1"),
                      ScreenSavePowerOffTimeOut=("well", 900)),
         clicks=["license", "license_ok", "next", "finish"])
settings("me_header_only_ini", "Me", {}, BACKUP, ini=2, ini_text=b"shell=Explorer.exe\n",
         clicks=["no", "next", "next", "finish"])
settings("2000_read_only_machine", "2000",
         {"ControlSet001": READ_ONLY, "ControlSet002": READ_ONLY, "CurrentControlSet": READ_ONLY},
         TYPICAL, clicks=["next", "10", "next", "next", "finish"])
settings("xp_read_only_backup", "XP", {"Backup": READ_ONLY}, BACKUP,
         clicks=["yes", "next", "next", "next", "finish"])
HOSTILE = {place: ("any", 3, 300, b"\xff\x00\x31") for place, *_ in PLACES}
settings("xp_every_value_oversized", "XP", {}, HOSTILE, clicks=["no", "next", "next", "finish"])
settings("98_texts_without_terminators", "98", {},
         {place: ("text", b"123456789", False) for place, *_ in PLACES},
         clicks=["no", "next", "next", "finish"])
settings("xp_binary_where_text", "XP", {},
         {place: ("any", 3, 2, b"1") for place, *_ in PLACES},
         clicks=["no", "next", "next", "finish"])
settings("nt4_unsupported", "NT4", {}, BACKUP, clicks=["finish"])
settings("scheme_index_ten", "XP", NO_BACKUP,
         TYPICAL | at("PowerCfg", CurrentPowerPolicy=("text", b"10", True)), scheme=1,
         clicks=["next", "next", "next", "finish"])

# --- regressions: inputs that once found a fault, run on every test ---

AFTER_A_RESET = TYPICAL | at("Backup", LullResetFlag=switch(b"2"))
# An activation whose read of a live setting failed saved a backup without it, then
# overwrote the setting: the backup key held only the flag "2" of an earlier reset. The
# activation first reads the settings in force, the Desktop's first.
for call, what in ((("OpenKey", 0), "desktop_key_does_not_open"),
                   (("QueryValue", 5), "power_off_time_out_unread"),
                   (("QueryValue", 1), "screen_saver_time_out_unread")):
    settings("activation_" + what, "98", {}, AFTER_A_RESET, ini=1, activation_fails=call,
             folder="regressions")
# A reset whose backup names a power scheme that is not there kept its backup for ever.
settings("reset_power_scheme_missing", "XP", {"Scheme": MISSING},
         BACKUP | at("PowerCfg", CurrentPowerPolicy=("well", 7))
         | at("Backup", LullResetPowerPolicy=("well", 7)),
         clicks=["no", "next", "next", "finish"], folder="regressions")
# The same with no Desktop key at all: a reset after an activation never ended.
settings("reset_desktop_key_missing", "XP", {key: MISSING for key in KEYS}, {},
         folder="regressions")
# A backup time-out of six characters without a terminator fits its row, so a reset on
# Windows 98 wrote it back with its length and the registry read on past the row.
settings("reset_98_time_out_without_terminator", "98", {},
         BACKUP | at("Backup", LullResetTimeOut=("text", b"123456", False)), ini=1,
         clicks=["no", "next", "next", "finish"], folder="regressions")
