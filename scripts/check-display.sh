#!/usr/bin/env bash
# make run checks this first, before it installs or builds anything: the wizard is a window
# someone must see and click, so it needs an X display that answers.
set -uo pipefail

hint() {
  cat >&2 << 'HINT'
  To see the wizard, run make run where there is a display:
  - in a terminal of your desktop session;
  - from another computer with X: ssh -X to this machine, then make run;
  - on a machine without a screen, on a virtual display you watch over VNC:
      Xvfb :5 -screen 0 1024x768x24 & x11vnc -display :5 -localhost -forever &
      DISPLAY=:5 make run     (then a VNC viewer on localhost:5900; ssh -L 5900:localhost:5900)
  To look at every page without one: make screenshots (docs/pages/*.png).
HINT
}

if [ -z "${DISPLAY:-}" ]; then
  echo "make run: no display (DISPLAY is not set)." >&2
  hint
  exit 1
fi
if command -v xdpyinfo > /dev/null && ! timeout 5 xdpyinfo > /dev/null 2>&1; then
  echo "make run: the display '$DISPLAY' does not answer." >&2
  hint
  exit 1
fi
exit 0
