#!/usr/bin/env bash
# Starts (start) or stops (stop) what the end-to-end tests share: the private Wine prefix,
# a virtual X display, and one Wine server kept running between the tests.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
display_file=$lull_root/build/e2e-display
pid_file=$lull_root/build/e2e-xvfb.pid

case "${1:-}" in
  start)
    if [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2> /dev/null; then exit 0; fi
    for number in $(seq 90 130); do
      [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
      Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
      echo $! > "$pid_file"
      sleep 1
      if kill -0 "$(cat "$pid_file")" 2> /dev/null; then
        echo ":$number" > "$display_file"
        break
      fi
    done
    [ -f "$display_file" ] || { echo "cannot start Xvfb" >&2; exit 1; }
    export DISPLAY=$(cat "$display_file")
    lull_prepare_prefix
    wineserver -p > /dev/null 2>&1 < /dev/null
    echo "Wine $LULL_WINE_ARCH prefix $WINEPREFIX on display $DISPLAY"
    ;;
  stop)
    wineserver -k 2> /dev/null || true
    [ -f "$pid_file" ] && kill "$(cat "$pid_file")" 2> /dev/null || true
    rm -f "$pid_file" "$display_file"
    ;;
  *)
    echo "usage: e2e-fixture.sh start|stop" >&2
    exit 2
    ;;
esac
