#!/usr/bin/env bash
# Checks that lull.exe loads on every Windows it is for, as that Windows comes: only the
# system DLLs and functions that Windows 95 has, a PE header that asks for Windows 4.0 at
# most and the GUI subsystem, and the size budget. Prints the size and the import count.
set -euo pipefail

exe=${1:?usage: check_executable.sh lull.exe}
budget=32768
objdump=i686-w64-mingw32-objdump
strip=i686-w64-mingw32-strip

allowed_dlls="KERNEL32.DLL USER32.DLL ADVAPI32.DLL COMCTL32.DLL"
allowed_functions="InitCommonControls GetModuleHandleA GetVersionExA DialogBoxParamA EndDialog
SendDlgItemMessageA SetDlgItemTextA PostQuitMessage ExitProcess GetCommandLineA RegOpenKeyExA
RegCreateKeyExA RegQueryValueExA RegSetValueExA RegDeleteValueA RegCloseKey CreateFileA ReadFile
WriteFile CloseHandle DeleteFileA MoveFileA SystemParametersInfoA GetStartupInfoA
GetSystemDirectoryA CreateProcessA CompareStringA lstrlenA WritePrivateProfileStringA"

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
[ "$((16#${subsystem:-0}))" -eq 2 ] || fail "subsystem is ${subsystem:-none}, not Windows GUI (2)"

# The size budget, stripped.
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
$strip -o "$stripped" "$exe"
size=$(stat -c %s "$stripped")
[ "$size" -le "$budget" ] || fail "stripped size $size bytes is over the budget of $budget"

echo "lull.exe: $size bytes stripped (budget $budget), $count imported functions from $(wc -w <<<"$dlls") DLLs"
if [ "$failures" -ne 0 ]; then exit 1; fi
