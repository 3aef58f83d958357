#!/usr/bin/env bash
# Starts (start) or stops (stop) what the end-to-end tests share: the private Wine prefix,
# a virtual X display, and one Wine server kept running between the tests.
set -euo pipefail
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"
display_file=$lull_root/build/e2e-display
pid_file=$lull_root/build/e2e-xvfb.pid

case "${1:-}" in
  start)
    if [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2> /dev/null; then exit 0; fi
    lull_start_xvfb
    echo "$lull_xvfb_pid" > "$pid_file"
    echo "$DISPLAY" > "$display_file"
    lull_prepare_prefix
    wineserver -p > /dev/null 2>&1 < /dev/null
    echo "Wine $LULL_WINE_ARCH prefix $WINEPREFIX on display $DISPLAY"
    ;;
  stop)
    wineserver -k 2> /dev/null || true
    if [ -f "$pid_file" ]; then kill "$(cat "$pid_file")" 2> /dev/null || true; fi
    rm -f "$pid_file" "$display_file"
    ;;
  *)
    echo "usage: e2e-fixture.sh start|stop" >&2
    exit 2
    ;;
esac
