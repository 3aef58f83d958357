#!/usr/bin/env bash
# make run: opens the wizard under Wine on this display.
# usage: run-wine.sh [ARGS] [WINVER]   e.g. run-wine.sh "/?" win98
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

if [ -z "${DISPLAY:-}" ]; then
  echo "No display: set DISPLAY to an X server, or run under Xvfb with 'xvfb-run -a make run'." >&2
  exit 1
fi
if ! timeout 5 xdpyinfo > /dev/null 2>&1 && ! timeout 5 xset q > /dev/null 2>&1; then
  echo "The display '$DISPLAY' does not answer: start it, or run 'xvfb-run -a make run'." >&2
  exit 1
fi

args=${1:-}
version=${2:-}
lull_prepare_prefix
lull_set_windows_version "${version:-winxp}"
# shellcheck disable=SC2086
exec "$LULL_WINE" "$LULL_EXE" $args
