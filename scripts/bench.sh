#!/usr/bin/env bash
# make bench: start-up time to the first page and peak memory of lull.exe, of a minimal
# dialog program, and of the same program calling InitCommonControls (the floor, since the
# wizard must call it), all built with the same toolchain and flags, under Wine. Rounds of
# one run of each; each ratio to the floor is the median of the rounds' own ratios, with its
# 95% interval. ROUNDS (the first argument) fixes the number of rounds; without it the
# benchmark stops once every interval is within 0.015, or at 300 rounds. Each round's
# figures are kept in build/bench-rounds.csv.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-auto}
# Checked along with this file under shellcheck -x, and left out without it.
# shellcheck source=SCRIPTDIR/wine-env.sh disable=SC1091
source "$root/scripts/wine-env.sh"
# Other work on the machine delays each of the many hand-offs between the program, the Wine
# server and the X server by a slice of its own, which no number of rounds averages away.
# Where the user may (root, or CAP_SYS_NICE), everything from here on runs at the lowest
# real-time priority, round-robin among its own processes: it then runs whenever it is
# ready, whatever else runs. The kernel still leaves other work 5% of each second.
priority="at normal priority (no real-time priority for this user: the figures vary with the load)"
if chrt -r -p 1 $$ > /dev/null 2>&1; then priority="at real-time priority"; fi
"$root/scripts/e2e-fixture.sh" start > /dev/null
trap '"$root/scripts/e2e-fixture.sh" stop' EXIT
DISPLAY=$(cat "$root/build/e2e-display")
export DISPLAY
lull_set_windows_version winxp

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo)," \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $("$LULL_WINE" --version)," \
  "$LULL_WINE_ARCH build, $priority"
output=$("$LULL_WINE" "$LULL_BUILD/bench/lull_bench.exe" "$rounds" \
  "$(to_windows "$root/build/bench-rounds.csv")" "$(to_windows "$LULL_BUILD/lull.exe")" \
  "$(to_windows "$LULL_BUILD/bench/minimal_dialog.exe")" \
  "$(to_windows "$LULL_BUILD/bench/minimal_dialog_icc.exe")" | tr -d '\r')
echo "$output"
# lull.exe's line ends with: start-up ratio, its [interval], memory ratio, its [interval].
awk '$1 == "lull.exe" {
  printf "lull.exe against the InitCommonControls floor: start-up %s %s (goal 1.05, %s), memory %s %s (goal 1.02, %s)\n",
    $(NF-3), $(NF-2), ($(NF-3) <= 1.05 ? "met" : "not met"), $(NF-1), $NF, ($(NF-1) <= 1.02 ? "met" : "not met")
}' <<< "$output"
