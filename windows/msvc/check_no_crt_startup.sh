#!/usr/bin/env bash
# Drapelle.dll starts at DllMain itself, without the C runtime's start-up code,
# which is right only while nothing needs that code: no global built by a
# constructor or taken down by a destructor, no atexit, no thread-local
# storage. Fails, naming the object and the reason, when an object needs it.
# Usage: check_no_crt_startup.sh LLVM_OBJDUMP LLVM_NM OBJECT...
set -euo pipefail
objdump=$1 nm=$2
shift 2
status=0
for object in "$@"; do
    [[ $object == *.obj ]] || continue # the version resource
    sections=$("$objdump" -h "$object" | awk '$1 ~ /^[0-9]+$/ { print $2 }')
    undefined=$("$nm" --undefined-only --format=just-symbols "$object")
    reason=""
    if grep -q '^\.CRT\$X[CI]' <<<"$sections"; then
        reason="a global with a dynamic initialiser (a constructor, or a value computed at start-up)"
    elif grep -q '^\.tls' <<<"$sections" || grep -qx '_tls_index' <<<"$undefined"; then
        reason="thread-local storage"
    elif grep -qx -e 'atexit' -e '_onexit' -e '__dyn_tls_on_demand_init' <<<"$undefined"; then
        reason="a destructor or function registered to run at exit"
    fi
    if [ -n "$reason" ]; then
        echo "$(basename "$object"): needs the C runtime's start-up code for $reason;" \
             "Drapelle.dll starts at DllMain without it, so that global would never be built." \
             "Make it constant-initialised (constexpr, constinit) or local to a function." >&2
        status=1
    fi
done
exit $status
