#!/usr/bin/env bash
# Plays one scenario against the real lull.exe (and lullcmd.exe beside it) under Wine, as
# one Windows version.
# usage: run_scenario.sh SCENARIO-FILE WINDOWS-VERSION [SCREENSHOT-DIRECTORY]
set -euo pipefail
# shellcheck source=../../scripts/wine-env.sh
source "$(dirname "$0")/../../scripts/wine-env.sh"

scenario=$1
version=$2
shots=${3:-}

# A display: the one the test fixture started, or one of our own for this run.
if [ -f "$lull_root/build/e2e-display" ]; then
  DISPLAY=$(cat "$lull_root/build/e2e-display")
  export DISPLAY
fi
own_xvfb=
if [ -z "${DISPLAY:-}" ]; then
  lull_start_xvfb
  own_xvfb=$lull_xvfb_pid
fi
# shellcheck disable=SC2317 # called by the trap below, which shellcheck does not follow
cleanup() {
  [ -n "$own_xvfb" ] && kill "$own_xvfb" 2> /dev/null
  rm -f "$played"
}
played=$(mktemp --suffix=.scenario)
trap cleanup EXIT

lull_prepare_prefix
{
  echo "version $version"
  echo "clean"
  cat "$scenario"
} > "$played"

args=("$(to_windows "$LULL_EXE")" "$(to_windows "$played")")
[ -n "$shots" ] && mkdir -p "$shots" && args+=("$(to_windows "$shots")")
# The output goes to a file: a pipe would stay open as long as any Wine process that
# inherited it, and a hung lull.exe must not hang the test past its time limit.
output=$(mktemp)
play() {
  status=0
  timeout -k 5 120 "$LULL_WINE" "$LULL_BUILD/e2e/lull_driver.exe" "${args[@]}" > "$output" 2>&1 ||
    status=$?
}
play
# A driver that ends at once without a word never read the scenario: Wine (under qemu-i386
# above all) failed to start it on a loaded machine. That is the test bed, not lull.exe, so
# it gets one more try; a scenario that fails says so and is not tried again.
if [ "$status" -ne 0 ] && [ ! -s "$output" ]; then
  echo "$(basename "$scenario") [$version]: the driver ended with $status before it began; again"
  play
fi
sed "s|$(to_windows "$played" | sed 's/\\/\\\\/g')|$(basename "$scenario") [$version]|" "$output"
rm -f "$output"
[ "$status" -ne 124 ] || echo "$(basename "$scenario") [$version]: timed out"
exit $status
