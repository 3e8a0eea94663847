# shellcheck shell=bash
# Shared by the preview tests (sourced): a virtual X display, keys sent and
# waiting for what the preview logs rather than for a fixed time. Every wait
# has a bound: the start-up's long enough for a loaded machine (PREVIEW_WAIT
# seconds, 60 unless set), a key's delivery 10 s, and the screen's answer 15 s
# from the last key or resize sent. Every failure says what it waited for,
# after which key, and what the screen last showed, and prints what the
# preview logged.
# Needs: work (a folder of the test's own), log (the preview's log file).
work=${work:?a folder for the test} log=${log:?the log file of the preview}
wait_seconds=${PREVIEW_WAIT:-60}
key_seconds=10
answer_seconds=15

# Any command that fails, in a function too, stops the test with its line
# and the log.
set -o errtrace
trap 'fail "line $LINENO: \"$BASH_COMMAND\" failed"' ERR

# Starts Xvfb on a free display and exports DISPLAY; stop_display ends it.
xvfb="" # Xvfb's process, once started
start_display() {
    local display
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 2000x1200x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq $((wait_seconds * 10))); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb gave no display in ${wait_seconds} s: $(cat "$work/xvfb.log")"
    display=$(head -1 "$work/display")
    export DISPLAY=":$display"
}

stop_display() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
}

fail() {
    trap - ERR
    echo "preview_test: $*" >&2
    echo "--- the preview's log:" >&2
    cat "$log" >&2 2>/dev/null || echo "(none yet)" >&2
    exit 1
}

# The preview's window, once it is mapped: its id.
find_window() {
    local window
    window=$(timeout "$wait_seconds" xdotool search --sync --name "Drapelle preview" | head -1) || true
    [ -n "$window" ] || fail "no window named 'Drapelle preview' in ${wait_seconds} s"
    echo "$window"
}

# xdotool, noting each key and resize it sends: the screen answers the last
# one within answer_seconds, or the wait for that answer fails naming it.
sent="" sent_at=0 # the last key or resize sent ("xdotool key F9"), and when (SECONDS)
xdotool() {
    case $1 in key | keydown | keyup | windowsize) sent="xdotool $*" sent_at=$SECONDS ;; esac
    command xdotool "$@"
}

seen=0 # lines of the log already read
# Waits (up to $2 seconds if given, else until answer_seconds after the last
# key sent, or PREVIEW_WAIT before any) for a line matching the pattern among
# those logged since the last one found, and prints it; fails saying $3
# (unless given, what it waited for) and what the screen showed.
await() {
    local found what shown deadline=$((SECONDS + ${2:-$wait_seconds}))
    what="waited ${2:-$wait_seconds} s for a line matching '$1'"
    if [ -z "${2:-}" ] && [ -n "$sent" ]; then
        deadline=$((sent_at + answer_seconds))
        what="no line matching '$1' within $answer_seconds s of $sent,"
    fi
    until found=$(tail -n +$((seen + 1)) "$log" | tr -d '\r' | grep -n -m1 -- "$1" || true)
        [ -n "$found" ]; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            what=${3:-$what}
            shown=$( (tr -d '\r' <"$log" | grep "^screen: " || echo "no screen logged") | tail -1)
            shown=${shown#screen: }
            fail "$what after line $seen of the log; the screen showed: ${shown:-nothing}"
        fi
        sleep 0.05
    done
    seen=$((seen + ${found%%:*}))
    echo "${found#*:}"
}

# Sends a key with xdotool (key, keydown or keyup, and the key as xdotool
# names it or by Xvfb's key code) and waits for the preview to log that the
# plug-in was handed it: its first press, its release, or both. NAME is the
# key's name in that log ("numpad 2").
press() { # ACTION KEY NAME
    xdotool "$1" "$2"
    [ "$1" = keyup ] || delivered "previous 0 transition 0 ($3)" "$1 $2"
    [ "$1" = keydown ] || delivered "transition 1 ($3)" "$1 $2"
}

# Waits, up to 10 s, for the key message PATTERN in the log, after xdotool's
# SENT (such as "key F9").
delivered() { # PATTERN SENT
    await "$1" "$key_seconds" \
        "xdotool's $2: the plug-in was handed no '$1' in $key_seconds s" >/dev/null
}

# The menu as last logged: "none" or "row N highlighted".
logged_menu() {
    local menu; menu=$(head -n "$seen" "$log" | tr -d '\r' | grep "^menu: " | tail -1)
    echo "${menu#menu: }"
}

# Turns NumLock on, as a player's is. Xvfb starts with it off, when a keypad
# key arrives as an arrow (numpad 2 as VK_DOWN); keypad keys go by key code
# (8: 80, 2: 88, 5: 84 on Xvfb's keyboard), so that xdotool does not toggle
# NumLock itself. First, with it off, the preview must say so.
turn_num_lock_on() {
    press keydown 88 Down
    await "NumLock is off: the keypad sends arrow keys" "$key_seconds" >/dev/null
    press keyup 88 Down
    xdotool key Num_Lock
    await "NumLock is on: the keypad sends digits" "$key_seconds" >/dev/null
}

# The menu key's name, as the preview's --help lists it from the key table
# (the one key that acts on a tap); a function key's is xdotool's name too.
menu_key() { # PREVIEW_COMMAND...
    "$@" --help | tr -d '\r' | sed -n 's/^  \(.*[^ ]\)  *tap: .*/\1/p' | grep . ||
        fail "'$* --help' lists no key that acts on a tap"
}
