#!/usr/bin/env bash
# drapelle-play.exe as a player uses it, under Wine on a virtual X display:
# xdotool presses the menu key and keypad keys at the window and holds one
# long enough for the keyboard's auto-repeat; the preview's log shows what the
# plug-in's handler was given and what the screen showed, and a screenshot
# shows where the menu's boxes are.
# Usage: preview_test.sh DRAPELLE_PLAY_EXE DRAPELLE_DLL CHECK_SHOT_EXE WORK_DIR
set -euo pipefail
play=$1 dll=$2 check=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
log=$work/play.log
# shellcheck source=../../tests/preview/preview_common.sh
source "$(dirname "$0")/../../tests/preview/preview_common.sh"
start_display
play_pid=""
trap 'kill $play_pid 2>/dev/null || true; stop_display' EXIT

# Started from the work folder, where its screenshots go.
(cd "$work" && exec wine "$play" "$dll") >"$log" 2>&1 &
play_pid=$!
window=$(find_window)
# No window manager: the window takes the focus and the pointer by hand.
xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 300 300
await "resolution: 1280 x 720" >/dev/null

echo "NumLock on: keypad keys arrive as digits"
turn_num_lock_on

# Windows gives the plug-in each key's scan code too, never 0. A menu on its
# first row is logged as "screen: <title>: [".
key=$(menu_key wine "$play") scanned="scan 0x[0-9A-F]*[1-9A-F][0-9A-F]* extended 0 alt 0"
xdotool key "$key"
delivered "repeats 1 $scanned previous 0 transition 0 ($key)" "key $key"
delivered "repeats 1 $scanned previous 1 transition 1 ($key)" "key $key"
await "screen: Drapelle: \["

press keydown 84 "numpad 5"
await "screen: Clothing Menu: \["
press keyup 84 "numpad 5"

# Held for 1.2 s: X repeats the press, and Windows marks each repeat as a
# press of a key that was already down; the menu moves every 150 ms.
xdotool keydown 88
delivered "repeats 1 $scanned previous 0 transition 0 (numpad 2)" \
    "keydown 88"
held=$seen # the log's lines before the hold
sleep 1.2
delivered "repeats 1 $scanned previous 1 transition 0 (numpad 2)" \
    "keydown 88, held 1.2 s"
xdotool keyup 88
delivered "repeats 1 $scanned previous 1 transition 1 (numpad 2)" \
    "keyup 88"

# The screenshot is logged once it is whole, after every screen before it.
xdotool key F12
shot=$(await "screenshot: ")
shot=${shot##*\\}
highlighted=$(logged_menu)
# Moves, not the row it ends on: a loaded machine makes fewer, and they wrap.
moves=$(head -n "$seen" "$log" | tail -n +$((held + 1)) | grep -c "^menu: row" || true)
echo "after holding numpad 2: $highlighted, $moves moves"
[ "$moves" -ge 2 ] || fail "holding numpad 2 for 1.2 s moved the menu $moves times"
reading=$(wine "$check" "$work/$shot" 1280x720 | tr -d '\r')
echo "$shot: $reading"
[ "$reading" = "menu, $highlighted" ] || fail "$shot shows '$reading', the log '$highlighted'"

# Back to the top menu, then closed: Backspace is tested as held, and held
# past the top menu's wait it goes back from there too, however late a loaded
# machine delivers its release.
press keydown BackSpace Backspace
await "screen: Drapelle: \["
await "menu: none"
press keyup BackSpace Backspace

# A resize is a new screen resolution.
xdotool windowsize "$window" 1600 900
await "resolution: 1600 x 900"

xdotool key Escape
for _ in $(seq 100); do kill -0 "$play_pid" 2>/dev/null || break; sleep 0.1; done
wait "$play_pid" || fail "the preview did not end cleanly"
play_pid=""
echo "window closed cleanly"
