#!/usr/bin/env bash
# drapelle-play.exe as a player uses it, under Wine on a virtual X display:
# xdotool presses F9 and keypad keys at the window and holds one long enough
# for the keyboard's auto-repeat; the preview's log shows what the plug-in's
# handler was given and what the screen showed, and a screenshot shows where
# the menu's boxes are.
# Usage: preview_test.sh DRAPELLE_PLAY_EXE DRAPELLE_DLL CHECK_SHOT_EXE WORK_DIR
set -euo pipefail
play=$1 dll=$2 check=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
log=$work/play.log

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 2000x1200x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
play_pid=""
trap 'kill $play_pid $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"

fail() { echo "preview_test: $*" >&2; echo "--- the preview's log:" >&2; cat "$log" >&2; exit 1; }
seen=0 # lines of the log already read
# Waits for a line matching the pattern among those logged since the last one
# found, and prints it.
await() {
    local found
    for _ in $(seq 200); do
        found=$(tail -n +$((seen + 1)) "$log" | tr -d '\r' | grep -n -m1 -- "$1" || true)
        if [ -n "$found" ]; then
            seen=$((seen + ${found%%:*}))
            echo "${found#*:}"
            return 0
        fi
        sleep 0.05
    done
    fail "not logged: $1"
}

# Started from the work folder, where its screenshots go.
(cd "$work" && exec wine "$play" "$dll") >"$log" 2>&1 &
play_pid=$!
window=$(timeout 60 xdotool search --sync --name "Drapelle preview" | head -1)
# No window manager: the window takes the focus and the pointer by hand.
xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 300 300
await "resolution: 1280 x 720" >/dev/null

# Xvfb starts with NumLock off, and then a keypad key arrives as an arrow
# (numpad 8 as VK_UP); the player's NumLock is on, so that it arrives as a
# digit (VK_NUMPAD8). The keypad keys are sent by key code (8: 80, 2: 88,
# 5: 84 on Xvfb's keyboard), so that xdotool does not toggle NumLock itself.
echo "NumLock on: keypad keys arrive as digits"
xdotool key Num_Lock
await "key 0x90 .* previous 0 transition 0" >/dev/null

xdotool key F9
await "key 0x78 repeats 1 scan 0x43 extended 0 alt 0 previous 0 transition 0"
await "key 0x78 repeats 1 scan 0x43 extended 0 alt 0 previous 1 transition 1"
await "screen: Drapelle: \[Skin/Clothing Change\] Close Menu"

xdotool keydown 84
await "key 0x65 .* previous 0 transition 0"
await "screen: Clothing Menu: \[Show Player Clothing Data\]"
xdotool keyup 84
await "key 0x65 .* previous 1 transition 1" >/dev/null

# Held for 1.2 s: X repeats the press, and Windows marks each repeat as a
# press of a key that was already down; the menu moves every 150 ms.
xdotool keydown 88
sleep 1.2
xdotool keyup 88
await "key 0x62 repeats 1 scan 0x50 extended 0 alt 0 previous 0 transition 0"
await "key 0x62 repeats 1 scan 0x50 extended 0 alt 0 previous 1 transition 0"
await "key 0x62 repeats 1 scan 0x50 extended 0 alt 0 previous 1 transition 1"
sleep 0.3
highlighted=$(tr -d '\r' <"$log" | grep "^menu: " | tail -1)
highlighted=${highlighted#menu: }
echo "after holding numpad 2: $highlighted"
[ "$highlighted" != "row 0 highlighted" ] || fail "holding numpad 2 did not move the menu"

xdotool key F12
shot=$(await "screenshot: ")
shot=${shot##*\\}
reading=$(wine "$check" "$work/$shot" 1280x720 | tr -d '\r')
echo "$shot: $reading"
[ "$reading" = "menu, $highlighted" ] || fail "$shot shows '$reading', the log '$highlighted'"

# Back to the top menu (Backspace is tested as held, so it stays down until
# the menu has gone back), then closed: a tap of F9 once the top menu tests
# its keys again, 200 ms after the clothing menu closed.
xdotool keydown BackSpace
await "screen: Drapelle: \[Skin/Clothing Change\] Close Menu"
xdotool keyup BackSpace
sleep 0.4
xdotool key F9
await "menu: none"

# A resize is a new screen resolution.
xdotool windowsize "$window" 1600 900
await "resolution: 1600 x 900"

xdotool key Escape
for _ in $(seq 100); do kill -0 "$play_pid" 2>/dev/null || break; sleep 0.1; done
wait "$play_pid" || fail "the preview did not end cleanly"
echo "window closed cleanly"
