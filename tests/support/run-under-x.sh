#!/usr/bin/env bash
# Runs one test program under its own X server with a window manager:
#   run-under-x.sh <test program> [arguments...]
# The screen is 1280x1024 unless TRELVO_X_SCREEN gives another size (for example 1400x900).
# Xvfb picks a free display itself (-displayfd), so several of these may run side by side;
# openbox manages the windows (frames, placement, moves) as on a desktop. Both are ended
# when the test program has finished, and the program's exit code is passed on.
set -u

for tool in Xvfb openbox wmctrl; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-under-x: $tool is not installed" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/trelvo-x.XXXXXX")
xvfb_pid=
wm_pid=
cleanup() {
    [ -n "${watchdog:-}" ] && kill "$watchdog" 2>/dev/null
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb writes the number of the display it chose to descriptor 3 once it accepts clients.
screen=${TRELVO_X_SCREEN:-1280x1024}
case "$screen" in
    [0-9]*x[0-9]*) ;;
    *) echo "run-under-x: TRELVO_X_SCREEN must read <width>x<height>, not $screen" >&2; exit 1 ;;
esac
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
display=
for _ in $(seq 1 200); do
    if grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; then
        display=:$(head -n1 "$work/display")
        break
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$display" ]; then
    echo "run-under-x: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi

export DISPLAY=$display
unset WAYLAND_DISPLAY
HOME_FOR_WM="$work/home"
mkdir -p "$HOME_FOR_WM"
# openbox reads its settings from the home folder: give it an empty one, so the defaults hold.
HOME="$HOME_FOR_WM" XDG_CONFIG_HOME="$HOME_FOR_WM/.config" openbox --sm-disable >"$work/wm.log" 2>&1 &
wm_pid=$!
# The window manager is up when it has announced itself on the root window.
up=
for _ in $(seq 1 200); do
    if wmctrl -m >/dev/null 2>&1; then
        up=1
        break
    fi
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$up" ]; then
    echo "run-under-x: the window manager did not start on $DISPLAY" >&2
    cat "$work/wm.log" >&2
    exit 1
fi

# Should this script itself be killed (a test timeout), the server and the window manager
# go with it.
wrapper=$$
( while kill -0 "$wrapper" 2>/dev/null; do sleep 1; done
  kill "$wm_pid" "$xvfb_pid" 2>/dev/null ) >/dev/null 2>&1 &
watchdog=$!

QT_QPA_PLATFORM=xcb "$@"
rc=$?
exit $rc
