#!/usr/bin/env bash
# The live preview as a person uses it: a window on a virtual X display, real
# key events from xdotool (the menu key, then numpad 2), screenshots of the window, and
# the menu read back off the pictures. Waits only for what the preview logs:
# a screenshot is logged once it is whole.
# Usage: preview_test.sh DRAPELLE_PLAY CHECK_SHOT WORK_DIR
set -euo pipefail
play=$1 check=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
log=$work/play.log
# shellcheck source=preview_common.sh
source "$(dirname "$0")/preview_common.sh"
start_display
play_pid=""
trap 'kill $play_pid 2>/dev/null || true; stop_display' EXIT

SDL_RENDER_DRIVER=software "$play" --shots "$work" >"$log" 2>&1 &
play_pid=$!
window=$(find_window)
# No window manager: keys go to the window under the pointer.
xdotool mousemove --window "$window" 300 300
await "resolution: 1280 x 720" >/dev/null
await "menu: none" >/dev/null
turn_num_lock_on
key=$(menu_key "$play")

expect() { # what, [window size]: a screenshot shows the menu as last logged
    xdotool key F12
    local shot; shot=$(await "screenshot: ")
    local reading; reading=$("$check" "${shot#screenshot: }" "${2:-1280x720}")
    local menu; menu=$(logged_menu)
    echo "$1: $reading"
    [ "$reading" = "${menu/#none/no menu}" ] || [ "$reading" = "menu, $menu" ] ||
        fail "$1: the screenshot shows '$reading', the log '$menu'"
}

expect "at start"
press key "$key" "$key"
await "menu: row 0 highlighted" >/dev/null
expect "after $key"
press keydown 88 "numpad 2"
await "menu: row 1 highlighted" >/dev/null
press keyup 88 "numpad 2"
expect "after numpad 2"
# A bigger window is a bigger screen: the menu keeps its size in pixels.
xdotool windowsize "$window" 1920 1080
await "resolution: 1920 x 1080" >/dev/null
expect "at 1920 x 1080" 1920x1080
press key "$key" "$key"
await "menu: none" >/dev/null
expect "after $key again" 1920x1080

xdotool key Escape
for _ in $(seq 100); do kill -0 "$play_pid" 2>/dev/null || break; sleep 0.1; done
wait "$play_pid" || fail "the preview did not end cleanly"
play_pid=""
echo "window closed cleanly"
