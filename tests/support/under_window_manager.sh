#!/bin/sh
# Runs a command on a screen of its own (Xvfb) with openbox framing the windows, so that they get title
# bars and borders as on a desktop, which the offscreen platform does not give them.
# Usage: under_window_manager.sh WIDTHxHEIGHT COMMAND [ARGUMENT...]
# Exits 77 (skipped) when a tool it needs is missing; scripts/setup.sh installs them.
set -eu
size=$1
shift
for tool in Xvfb openbox xprop xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done
work=$(mktemp -d)
xvfb=
wm=
finish() {
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

# Waits up to 10 s for a condition to hold while the process PID runs, else says that NAME did not start.
# Usage: wait_until PID NAME LOG CONDITION [ARGUMENT...]
wait_until() {
  pid=$1 name=$2 log=$3
  shift 3
  tries=0
  until "$@"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
      echo "under_window_manager: $name did not start" >&2
      cat "$log" >&2
      exit 1
    fi
    sleep 0.1
  done
}

# Xvfb picks a free display number and writes it to the descriptor given.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
wait_until "$xvfb" Xvfb "$work/xvfb.log" test -s "$work/display"
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
unset WAYLAND_DISPLAY
QT_QPA_PLATFORM=xcb
# Tests that need windows to stack as on a desktop run only where this is set.
GLYFEX_WINDOW_MANAGER=openbox
export QT_QPA_PLATFORM GLYFEX_WINDOW_MANAGER

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
# openbox names itself on the root window once it manages the screen.
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
wait_until "$wm" openbox "$work/openbox.log" managed

status=0
"$@" || status=$?
exit "$status"
