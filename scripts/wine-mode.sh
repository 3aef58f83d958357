#!/usr/bin/env bash
# How the Wine runs go on this machine, as scripts/wine-env.sh decides:
#   wine-mode.sh                 one line: which lull.exe runs, and how
#   wine-mode.sh exe             the Windows tree (its make target) of lull.exe: make run
#   wine-mode.sh driver          the tree of the driver and the benchmark: make bench
#   wine-mode.sh trees [TREE...] both, and the trees given, once each: make test, screenshots
set -euo pipefail
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"

tree_of() {
  case "$1" in
    "$lull_root/build/win32" | "$lull_root/build/win32/"*) echo win32 ;;
    "$lull_root/build/win64" | "$lull_root/build/win64/"*) echo win64 ;;
  esac
}

case "${1:-}" in
  trees) printf '%s\n' "$(tree_of "$LULL_EXE")" "$(tree_of "$LULL_BUILD")" "${@:2}" | sort -u | xargs ;;
  exe) tree_of "$LULL_EXE" ;;
  driver) tree_of "$LULL_BUILD" ;;
  "")
    case "$lull_has_32bit" in
      yes) how="natively" ;;
      emulated) how="under qemu-i386 (this kernel runs no 32-bit code)" ;;
      *) how="as the x86_64 stand-in (this machine cannot run 32-bit code)" ;;
    esac
    echo "Wine tests: ${LULL_EXE#"$lull_root"/} $how, in the $LULL_WINE_ARCH prefix ${WINEPREFIX#"$lull_root"/}"
    ;;
  *)
    echo "usage: wine-mode.sh [exe|driver|trees]" >&2
    exit 2
    ;;
esac
