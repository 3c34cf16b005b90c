#!/bin/sh
# Runs a command on a screen of its own (Xvfb) with openbox framing the windows, so that they get title
# bars and borders as on a desktop, which the offscreen platform does not give them.
# Usage: under_window_manager.sh WIDTHxHEIGHT COMMAND [ARGUMENT...]
set -eu
size=$1
shift
work=$(mktemp -d)
xvfb=
wm=
finish() {
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

# Xvfb picks a free display number and writes it to the descriptor given.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
tries=0
while [ ! -s "$work/display" ]; do
  tries=$((tries + 1))
  if [ "$tries" -gt 100 ] || ! kill -0 "$xvfb" 2>/dev/null; then
    echo "under_window_manager: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
unset WAYLAND_DISPLAY
QT_QPA_PLATFORM=xcb
export QT_QPA_PLATFORM

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
# openbox names itself on the root window once it manages the screen.
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
  tries=$((tries + 1))
  if [ "$tries" -gt 100 ] || ! kill -0 "$wm" 2>/dev/null; then
    echo "under_window_manager: openbox did not start" >&2
    cat "$work/openbox.log" >&2
    exit 1
  fi
  sleep 0.1
done

status=0
"$@" || status=$?
exit "$status"
