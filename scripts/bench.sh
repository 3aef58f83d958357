#!/usr/bin/env bash
# make bench: start-up time to the first page and peak memory of lull.exe, of a minimal
# dialog program, and of the same program calling InitCommonControls (the floor, since the
# wizard must call it), all built with the same toolchain and flags; medians over RUNS runs
# of each under Wine, and each program's ratios to the floor.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-20}
source "$root/scripts/wine-env.sh"
"$root/scripts/e2e-fixture.sh" start > /dev/null
trap '"$root/scripts/e2e-fixture.sh" stop' EXIT
export DISPLAY=$(cat "$root/build/e2e-display")
"$LULL_WINE" reg add 'HKCU\Software\Wine' /v Version /d winxp /f > /dev/null 2>&1

to_windows() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }
echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo)," \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $("$LULL_WINE" --version)," \
  "$LULL_WINE_ARCH build"
output=$("$LULL_WINE" "$LULL_BUILD/lull_bench.exe" "$runs" "$(to_windows "$LULL_BUILD/lull.exe")" \
  "$(to_windows "$LULL_BUILD/minimal_dialog.exe")" \
  "$(to_windows "$LULL_BUILD/minimal_dialog_icc.exe")" | tr -d '\r')
echo "$output"
awk '$1 == "lull.exe" {
  printf "lull.exe against the InitCommonControls floor: start-up %s (goal 1.05, %s), memory %s (goal 1.02, %s)\n",
    $(NF-1), ($(NF-1) <= 1.05 ? "met" : "not met"), $NF, ($NF <= 1.02 ? "met" : "not met")
}' <<<"$output"
