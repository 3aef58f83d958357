#!/usr/bin/env bash
# make run: opens the wizard under Wine on this display.
# usage: run-wine.sh [ARGS] [WINVER]   e.g. run-wine.sh "/?" win98
set -euo pipefail
"$(dirname "$0")/check-display.sh"
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"

args=${1:-}
version=${2:-}
lull_prepare_prefix
lull_set_windows_version "${version:-winxp}"
# shellcheck disable=SC2086
exec "$LULL_WINE" "$LULL_EXE" $args
