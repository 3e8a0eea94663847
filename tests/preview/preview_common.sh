# shellcheck shell=bash
# Shared by the preview tests (sourced): a virtual X display, and waiting for
# what the preview logs rather than for a fixed time. Every wait has a bound
# long enough for a loaded machine (PREVIEW_WAIT seconds, 60 unless set), and
# every failure says what it waited for and prints what the preview logged.
# Needs: work (a folder of the test's own), log (the preview's log file).
work=${work:?a folder for the test} log=${log:?the log file of the preview}
wait_seconds=${PREVIEW_WAIT:-60}

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

seen=0 # lines of the log already read
# Waits (up to PREVIEW_WAIT seconds) for a line matching the pattern among
# those logged since the last one found, and prints it.
await() {
    local found
    for _ in $(seq $((wait_seconds * 20))); do
        found=$(tail -n +$((seen + 1)) "$log" | tr -d '\r' | grep -n -m1 -- "$1" || true)
        if [ -n "$found" ]; then
            seen=$((seen + ${found%%:*}))
            echo "${found#*:}"
            return 0
        fi
        sleep 0.05
    done
    fail "waited ${wait_seconds} s for a line matching '$1' after line $seen of the log"
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
    xdotool key 88
    await "NumLock is off: the keypad sends arrow keys" >/dev/null
    xdotool key Num_Lock
    await "NumLock is on: the keypad sends digits" >/dev/null
}
