#!/usr/bin/env bash
# The Wine session a tree's tests share, in the prefix WINEPREFIX names.
#
#   wine_session.sh start WINE WINESERVER
#       makes the prefix, set to report Windows 10 as players' systems do
#       (Wine 8.0's default is Windows 7), and leaves a keeper running: a
#       program that only waits, so that Wine's server stays up from the first
#       test to the last. Debian's wineserver shuts down as soon as no program
#       runs, and a program that starts while it does can be ended before it
#       prints anything, with status 1: a test failed so, with no output.
#   wine_session.sh stop WINE WINESERVER
#       ends the keeper and the server.
set -euo pipefail

action=$1 wine=$2 wineserver=$3
# Never the user's own prefix: stop ends every program in it.
if [ -z "${WINEPREFIX:-}" ]; then
    echo "WINEPREFIX is not set: run the tests through ctest, whose Wine tests give the tree a" \
        "prefix of its own (WINE_ENVIRONMENT in windows/tests/CMakeLists.txt)"
    exit 1
fi
keeper_pid="$WINEPREFIX/keeper.pid" # the keeper's process, while it runs
keeper_minutes=90                   # the longest a keeper waits, should no stop come

keeper_runs() {
    [ -s "$keeper_pid" ] && kill -0 "$(cat "$keeper_pid")" 2>/dev/null
}

# cmd.exe waits on a FIFO it holds open itself, so its input never ends;
# timeout bounds it should nothing stop it.
start_keeper() {
    local fifo="$WINEPREFIX/keeper.fifo"
    [ -p "$fifo" ] || mkfifo "$fifo"
    setsid timeout "${keeper_minutes}m" "$wine" cmd.exe /c "set /p line=" <>"$fifo" \
        >/dev/null 2>&1 &
    echo $! >"$keeper_pid"
}

# Until the prefix's server has ended, so that the next program starts a
# new one rather than meet this one shutting down.
await_server_end() {
    timeout 60 "$wineserver" -w || {
        echo "Wine's server for $WINEPREFIX was still up after 60 s: a program runs there" \
            "(wineserver -k ends them)"
        return 1
    }
}

# Wine's own messages go to a log, shown on failure: the server and the
# programs it starts keep the output they were given open for as long as they
# run, and the test would not end before they do.
start_session() {
    await_server_end && wineboot -i && await_server_end || return 1
    start_keeper
    "$wine" winecfg -v win10 || return 1
    keeper_runs || {
        echo "the keeper ended as the session started: Wine's server would shut down between tests"
        return 1
    }
}

case $action in
start)
    log="$WINEPREFIX.log"
    start_session >"$log" 2>&1 || {
        cat "$log"
        exit 1
    }
    ;;
stop)
    held=0
    if keeper_runs; then kill "$(cat "$keeper_pid")"; else held=1; fi
    rm -f "$keeper_pid"
    "$wineserver" -k 2>/dev/null || true
    await_server_end
    [ "$held" = 0 ] || echo "the keeper had ended before the tests did: Wine's server may have" \
        "shut down between them"
    exit "$held"
    ;;
*)
    echo "usage: wine_session.sh start|stop WINE WINESERVER" >&2
    exit 2
    ;;
esac
