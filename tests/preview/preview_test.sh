#!/usr/bin/env bash
# The live preview as a person uses it: a window on a virtual X display, real
# key events from xdotool (F9, then numpad 2), screenshots of the window, and
# the menu read back off the pictures.
# Usage: preview_test.sh DRAPELLE_PLAY CHECK_SHOT WORK_DIR
set -euo pipefail
play=$1 check=$2 work=$3
rm -rf "$work" && mkdir -p "$work"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 2000x1200x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"

SDL_RENDER_DRIVER=software "$play" --shots "$work" >"$work/play.log" 2>&1 &
play_pid=$!
window=$(timeout 20 xdotool search --sync --name "Drapelle preview" | head -1)
# No window manager: keys go to the window under the pointer.
xdotool mousemove --window "$window" 300 300
sleep 0.5

shot() { # takes the next screenshot and prints what it shows
    local before; before=$(ls "$work"/shot-*.png 2>/dev/null | wc -l)
    xdotool key F12
    for _ in $(seq 50); do
        [ "$(ls "$work"/shot-*.png 2>/dev/null | wc -l)" -gt "$before" ] && break
        sleep 0.1
    done
    sleep 0.2
    "$check" "$work/shot-$((before + 1)).png" "${1:-1280x720}"
}
tap() { xdotool keydown "$1"; sleep 0.05; xdotool keyup "$1"; sleep 0.5; }
press() { xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; sleep 0.5; }

expect() { # what, expected reading, [window size]
    local seen; seen=$(shot "${3:-}")
    echo "$1: $seen"
    [ "$seen" = "$2" ] || { echo "expected: $2" >&2; cat "$work/play.log" >&2; exit 1; }
}

expect "at start" "no menu"
tap F9
expect "after F9" "menu, row 0 highlighted"
press KP_2
expect "after numpad 2" "menu, row 1 highlighted"
# A bigger window is a bigger screen: the menu keeps its size in pixels.
xdotool windowsize "$window" 1920 1080
sleep 0.7
expect "at 1920 x 1080" "menu, row 1 highlighted" 1920x1080
tap F9
expect "after F9 again" "no menu" 1920x1080

xdotool key Escape
for _ in $(seq 50); do kill -0 $play_pid 2>/dev/null || break; sleep 0.1; done
wait $play_pid
echo "window closed cleanly"
