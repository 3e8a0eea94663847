#!/usr/bin/env bash
# The Wine session a tree's tests share, in the prefix WINEPREFIX names.
#
#   wine_session.sh start WINE WINESERVER
#       starts the prefix's Wine server persistent, so that it stays up from
#       the first test to the last, then makes the prefix, set to report
#       Windows 10 as players' systems do (Wine 8.0's default is Windows 7).
#       Debian's wineserver otherwise shuts down as soon as no program runs,
#       and a program that starts while it does can be ended before it prints
#       anything, with status 1: a test failed so, with no output.
#   wine_session.sh stop WINE WINESERVER
#       ends the server and every program in the prefix.
set -euo pipefail

action=$1 wine=$2 wineserver=$3
# Never the user's own prefix: stop ends every program in it.
if [ -z "${WINEPREFIX:-}" ]; then
    echo "WINEPREFIX is not set: run the tests through ctest, whose Wine tests give the tree a" \
        "prefix of its own (WINE_ENVIRONMENT in windows/tests/CMakeLists.txt)"
    exit 1
fi
# How long the server outlives its last program, should no stop come.
linger_seconds=600

# Whether the prefix's server is up: wineserver -w returns at once without one.
server_up() {
    local status=0
    timeout 1 "$wineserver" -w || status=$?
    [ "$status" = 124 ]
}

# Until the prefix's server has ended, so that the next one starts afresh
# rather than meet this one shutting down.
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
    await_server_end || return 1
    mkdir -p "$WINEPREFIX" # the server starts in it
    "$wineserver" -p"$linger_seconds" || return 1
    wineboot -i && "$wine" winecfg -v win10
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
    server_up || held=1
    "$wineserver" -k 2>/dev/null || true
    await_server_end
    [ "$held" = 0 ] || echo "Wine's server had ended before the tests did: it may have shut" \
        "down between them"
    exit "$held"
    ;;
*)
    echo "usage: wine_session.sh start|stop WINE WINESERVER" >&2
    exit 2
    ;;
esac
