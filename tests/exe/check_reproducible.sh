#!/usr/bin/env bash
# Builds lull.exe and lullcmd.exe twice from one source, one build after the other in two
# trees of different paths, and checks that each program's two builds are the same bytes
# and that the PE time stamp is SOURCE_DATE_EPOCH or the commit's date, not the clock.
#   check_reproducible.sh SOURCE-DIR WORK-DIR [CMAKE-GENERATOR]
set -euo pipefail
source=${1:?usage: check_reproducible.sh SOURCE-DIR WORK-DIR [CMAKE-GENERATOR]}
work=${2:?usage: check_reproducible.sh SOURCE-DIR WORK-DIR [CMAKE-GENERATOR]}
generator=${3:-}

if ! command -v i686-w64-mingw32-g++ > /dev/null; then
  echo "skipped: no i686-w64-mingw32-g++ on the PATH, so lull.exe and lullcmd.exe cannot be built (install MinGW-w64, e.g. make setup)"
  exit 77
fi

rm -rf "$work"
for tree in "$work/one" "$work/the-other-tree"; do
  cmake -S "$source" -B "$tree" ${generator:+-G "$generator"} \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel > /dev/null
  cmake --build "$tree" --target lull lullcmd > /dev/null
done

# Outside a git checkout, and without SOURCE_DATE_EPOCH, the stamp is 0.
expected=${SOURCE_DATE_EPOCH:-$(git -C "$source" log -1 --format=%ct 2> /dev/null || echo 0)}
status=0
for program in lull.exe lullcmd.exe; do
  one=$work/one/$program
  other=$work/the-other-tree/$program
  failed=0
  if ! cmp "$one" "$other"; then
    echo "FAIL: the two builds of $program differ"
    failed=1
  fi
  stamp=$(od -An -tu4 -j $(($(od -An -tu4 -j 60 -N 4 "$one") + 8)) -N 4 "$one" | tr -d ' ')
  if [ "$stamp" != "$expected" ]; then
    echo "FAIL: the PE time stamp of $program is $stamp, not $expected"
    failed=1
  fi
  [ "$failed" -ne 0 ] || echo "$program: two builds, identical, $(stat -c %s "$one") bytes," \
    "time stamp $stamp, sha256 $(sha256sum "$one" | cut -d' ' -f1)"
  status=$((status | failed))
done
exit $status
