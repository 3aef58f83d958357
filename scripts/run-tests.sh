#!/usr/bin/env bash
# make test's last step: every test of the native tree through CTest, then the failure and
# crash sweeps' lines, read from the log of that same run, and CTest's summary last.
#   run-tests.sh NATIVE-TREE [JOBS]
set -uo pipefail
cd "${1:?usage: run-tests.sh NATIVE-TREE [JOBS]}" || exit
jobs=${2:-2}

# CTest's output is shown as it comes, up to its summary, which is held back until the
# sweeps' lines have been printed.
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
ctest --output-on-failure -j "$jobs" |
  awk -v summary="$summary" '/^[0-9]+% tests passed/ {held = 1} held {print > summary; next} {print; fflush()}'
status=${PIPESTATUS[0]}

for sweep in failure crash; do
  sed -n "s/^.*\($sweep sweep: .*\)\$/\1/p" Testing/Temporary/LastTest.log | head -n 1
done
cat "$summary"
exit "$status"
