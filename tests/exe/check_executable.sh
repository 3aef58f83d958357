#!/usr/bin/env bash
# Checks that lull.exe or lullcmd.exe loads on every Windows it is for, as that Windows
# comes: only the system DLLs and functions that Windows 95 has, a PE header that asks for
# Windows 4.0 at most and the program's subsystem, the layout the 9x loader needs and
# probed stack frames (check_layout.py), and the size budget; and that it runs on every PC
# Windows 95 runs on: no instruction a 386 lacks. Prints the size, the imports and the
# code's size. The code's end comes from the linker map the link writes beside the
# program (it is stripped): lull.map, lullcmd.map.
set -euo pipefail

exe=${1:?usage: check_executable.sh lull.exe|lullcmd.exe [MAP]}
program=$(basename "$exe")
map=${2:-$(dirname "$exe")/${program%.*}.map}
objdump=i686-w64-mingw32-objdump
strip=i686-w64-mingw32-strip

# What both programs may import: the registry, files, the running system, processes.
shared_functions="GetVersionExA ExitProcess GetCommandLineA RegOpenKeyExA RegCreateKeyExA
RegQueryValueExA RegSetValueExA RegDeleteValueA RegCloseKey RegFlushKey CreateFileA ReadFile
WriteFile FlushFileBuffers CloseHandle DeleteFileA MoveFileA SystemParametersInfoA GetStartupInfoA
GetSystemDirectoryA CreateProcessA CompareStringA lstrlenA WritePrivateProfileStringA GetLastError
SetFilePointer GetComputerNameA"
# Each program's own: the wizard's pages, GUI subsystem (2); the companion's console, pause,
# names and clock, console subsystem (3), and no dialog function or COMCTL32 at all.
case "$program" in
  lull.exe)
    budget=32768
    subsystem_wanted=2
    subsystem_name="Windows GUI"
    allowed_dlls="KERNEL32.DLL USER32.DLL ADVAPI32.DLL COMCTL32.DLL"
    own_functions="InitCommonControls GetModuleHandleA DialogBoxParamA EndDialog
SendDlgItemMessageA SetDlgItemTextA PostQuitMessage"
    ;;
  lullcmd.exe)
    budget=20480
    subsystem_wanted=3
    subsystem_name="Windows console"
    allowed_dlls="KERNEL32.DLL USER32.DLL ADVAPI32.DLL"
    own_functions="GetStdHandle SetErrorMode Sleep GetTickCount GetUserNameA GetLocalTime"
    ;;
  *)
    echo "FAIL: $program is neither lull.exe nor lullcmd.exe"
    exit 1
    ;;
esac
allowed_functions="$shared_functions $own_functions"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

[ -f "$exe" ] || { echo "FAIL: $exe does not exist"; exit 1; }
headers=$($objdump -p "$exe")

# Imports: every DLL and every function by name.
dlls=$(awk '/DLL Name:/ {print toupper($3)}' <<<"$headers")
for dll in $dlls; do
  grep -qw "$dll" <<<"$allowed_dlls" || fail "imports $dll"
done
functions=$(awk '/DLL Name:/ {in_dll=1; next} in_dll && /^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[^ \t]+$/ {print $3} /^$/ {in_dll=0}' <<<"$headers")
count=0
for function in $functions; do
  count=$((count + 1))
  grep -qw -- "$function" <<<"$allowed_functions" || fail "imports $function"
done
[ "$count" -gt 0 ] || fail "no imported function found (objdump output changed?)"

# The PE header.
field() { awk -v name="$1" '$1 == name {print $2}' <<<"$headers"; }
for name in MajorOSystemVersion MajorSubsystemVersion; do
  value=$(field "$name")
  [ -n "$value" ] || fail "no $name in the header"
  [ "${value:-99}" -le 4 ] || fail "$name is $value, above 4"
done
for name in MinorOSystemVersion MinorSubsystemVersion; do
  major=$(field "${name/Minor/Major}")
  value=$(field "$name")
  if [ "${major:-99}" -eq 4 ] && [ "${value:-99}" -gt 0 ]; then fail "$name is $value, above 4.0"; fi
done
subsystem=$(awk '$1 == "Subsystem" {print $2}' <<<"$headers")
[ "$((16#${subsystem:-0}))" -eq "$subsystem_wanted" ] ||
  fail "subsystem is ${subsystem:-none}, not $subsystem_name ($subsystem_wanted)"

# The instruction set. What a 486, Pentium, Pentium Pro or K6 added (and everything
# since) faults on the machines before it: CMOV, FCMOV and FCOMI, BSWAP, CMPXCHG(8B), XADD,
# CPUID, RDTSC, the long NOP (0F 1F, printed as nop with an operand), the fast system
# calls, the cache, TLB and MSR instructions, MMX, 3DNow!, SSE and later (by their
# registers or their names). UD2 too: a 386 does not document it, and though every CPU
# faults on it, GCC emits it only as a trap on a path it found undefined.
newer_than_386='^(cmov.*|fcmov.*|fu?comp?ip?|bswap|cmpxchg.*|xadd[bwl]?|cpuid|rdtscp?|rdpmc|'
newer_than_386+='rdmsr|wrmsr|rsm|invd|wbinvd|invlpg|sysenter|sysexit|syscall|sysret.*|ud[012]|'
newer_than_386+='endbr32|emms|femms|prefetch.*|[lms]fence|clflush.*|movnti|[ls]tmxcsr|fxsave|'
newer_than_386+='fxrstor|fisttp.*|xsave.*|xrstor.*|xgetbv|monitor|mwait|movbe|popcnt|lzcnt|tzcnt|'
newer_than_386+='crc32.*|rdrand|rdseed|andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext|rorx|sarx|'
newer_than_386+='shlx|shrx|adcx|adox|vzero.*)$'
# Only the code is read, up to where the read-only data begins: the linker script marks the
# place, and the map of this very link (it names the entry point's address) tells where.
image_base=$(field ImageBase)
entry=$(field AddressOfEntryPoint)
entry=$(printf '0x%08x' $((0x${image_base:-0} + 0x${entry:-0})))
sections=$($objdump -h "$exe")
text_start=$(awk '$2 == ".text" {print "0x" $4}' <<<"$sections")
text_size=$(awk '$2 == ".text" {print "0x" $3}' <<<"$sections")
code_end=""
map_entry=""
if [ -f "$map" ]; then
  code_end=$(awk '$2 == "__lull_code_end__" {print $1; exit}' "$map")
  map_entry=$(awk -v entry="$entry" '$1 == entry && NF == 2 {print $2; exit}' "$map")
fi
if [ -z "$code_end" ]; then
  fail "no __lull_code_end__ in the linker map $map: cannot tell the code from the data"
elif [ -z "$map_entry" ] || [ "$((code_end))" -le "$((${text_start:-0}))" ] ||
  [ "$((code_end))" -gt "$((${text_start:-0} + ${text_size:-0}))" ]; then
  fail "$map is not the map of $exe (no symbol at its entry point $entry," \
    "or the code's end $code_end outside its .text)"
else
  code_bytes=$((code_end - text_start))
  # "mnemonic operands", one instruction a line, without prefixes (rep, lock, segment).
  instructions=$($objdump -d --no-show-raw-insn --start-address="$text_start" \
    --stop-address="$code_end" "$exe" | awk -F'\t' '/^ *[0-9a-f]+:\t/ {
      sub(/^((rep[a-z]*|lock|(data|addr)(16|32)|[c-gs]s|notrack|bnd|xacquire|xrelease) +)+/,
          "", $2)
      print $2}')
  [ -n "$instructions" ] || fail "no instruction found in the code (objdump output changed?)"
  offending=$(awk -v newer="$newer_than_386" '$1 ~ newer || ($1 ~ /^nop[wl]?$/ && NF > 1) ||
      $0 ~ /%[xyz]?mm[0-9]|%k[0-7]|\(bad\)/ {print $1}' <<<"$instructions" |
    sort | uniq -c | awk '{printf "%s %s x%d", (NR > 1 ? "," : ""), $2, $1}')
  [ -z "$offending" ] || fail "instructions a 386 lacks (or undecodable bytes):$offending"
fi

# Alignments, sections, image and header sizes, writable imports, no relocations, and a
# probe for every stack frame of a page or more.
python3 "$(dirname "$0")/check_layout.py" "$exe" "$map" || failures=$((failures + 1))

# The size budget, stripped.
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
$strip -o "$stripped" "$exe"
size=$(stat -c %s "$stripped")
[ "$size" -le "$budget" ] || fail "stripped size $size bytes is over the budget of $budget"

echo "$program: $size bytes stripped (budget $budget), ${code_bytes:-?} bytes of code," \
  "$count imported functions from $(wc -w <<<"$dlls") DLLs:"
echo "  $(paste -sd ' ' <<<"$functions")"
if [ "$failures" -ne 0 ]; then exit 1; fi
