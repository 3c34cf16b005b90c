#!/usr/bin/env bash
# Runs a test program on its own X server (Xvfb, a 1366 x 768 screen) under a window manager (openbox),
# where windows stack as on a desktop. Usage: tests/under_window_manager.sh PROGRAM [ARGS...]
# Exits 77 (skipped) when a tool it needs is missing; scripts/setup.sh installs them.
set -u
for tool in Xvfb openbox xdotool xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done
work=$(mktemp -d)
xvfb=""
wm=""
finish() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
# The server takes a free display number and writes it once it accepts connections.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "skipped: Xvfb did not start"; cat "$work/xvfb.log"
  exit 77
fi
export DISPLAY=":$(head -n 1 "$work/display")"
openbox --sm-disable >"$work/wm.log" 2>&1 &
wm=$!
# The window manager has taken the screen once it names itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  echo "skipped: openbox did not start"; cat "$work/wm.log"
  exit 77
fi
export QT_QPA_PLATFORM=xcb GLYFEX_WINDOW_MANAGER=openbox
"$@"
status=$?
finish
trap - EXIT
exit "$status"
