#!/bin/sh
# Runs one fuzz target: once over each of its regression inputs, then for a set time from
# its seed corpus (new inputs go to a work folder, never into the repository). Prints one
# line with the executions and the findings; exits non-zero on a finding.
#   run_fuzzer.sh <build/fuzz/fuzz_NAME> <seconds> <work folder>
set -u
binary=$1
seconds=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
name=$(basename "$binary")
target=${name#fuzz_}

if [ ! -x "$binary" ]; then
  echo "fuzz $target: $binary is not built (make fuzz-build)"
  exit 1
fi

run=$work/$target
rm -rf "$run"
mkdir -p "$run/corpus" "$run/findings"
log=$run/log

regressions=$here/regressions/$target
if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
  if ! "$binary" "$regressions"/* > "$run/regressions.log" 2>&1; then
    echo "fuzz $target: a regression input fails again"
    grep -E 'check failed|ERROR|Running:' "$run/regressions.log" | tail -n 6
    exit 1
  fi
fi

"$binary" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$run/findings/" "$run/corpus" "$here/corpus/$target" > "$log" 2>&1
status=$?

runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
took=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\2/p' "$log" | tail -n 1)
if [ -z "$runs" ]; then
  runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\)/\1/p' "$log" | tail -n 1)
fi
findings=$(find "$run/findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
  -o -name 'oom-*' \) | wc -l)
if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi

if [ -n "$took" ]; then
  echo "fuzz $target: ${runs:-0} executions in $took s, $findings findings"
else
  echo "fuzz $target: stopped after ${runs:-0} executions, $findings findings"
fi
if [ "$findings" -ne 0 ]; then
  grep -E -A 1 'check failed|^==[0-9]+==ERROR|runtime error' "$log" | head -n 8
  find "$run/findings" -type f | sed 's/^/  input: /'
  echo "  log: $log"
  exit 1
fi
exit 0
