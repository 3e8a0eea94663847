#!/usr/bin/env bash
# Drapelle.dll starts at DllMain itself, without the C runtime's start-up code,
# which is right only while nothing needs that code: no global built by a
# constructor or taken down by a destructor, no atexit, no thread-local
# storage. The plug-in's globals are constinit, so the compiler refuses a
# dynamic initialiser of theirs at the declaration; this check catches what
# that does not: destructors, thread-local storage, and a global added
# without constinit. Fails before the link, naming the object and the reason, when
# something needs it. Objects may be machine code or, optimised across files,
# LLVM bitcode (whose thread-local variables llvm-lto2 shows with a T flag).
# Usage: check_no_crt_startup.sh LLVM_NM LLVM_LTO2 OBJECT...
set -euo pipefail
nm=$1 lto2=$2
shift 2
status=0
refuse() {
    echo "$(basename "$1"): needs the C runtime's start-up code for $2; Drapelle.dll starts" \
         "at DllMain without it, so that would never be set up. $3" >&2
    status=1
}
for object in "$@"; do
    [[ $object == *.obj ]] || continue # the version resource
    # With the sections' own symbols, among them .tls$ for thread-local data.
    symbols=$("$nm" --debug-syms "$object")
    if grep -Eq ' [tT] \?\?__F| U (atexit|_onexit)$' <<<"$symbols"; then
        refuse "$object" "a destructor or function run at exit" \
            "Give the global a trivial destructor."
    elif grep -Eq ' [tT] (_GLOBAL__sub_I_|\?\?__E)' <<<"$symbols"; then
        refuse "$object" "a global with a dynamic initialiser" \
            "Make it constant-initialised (constexpr, constinit)."
    elif grep -q ' \.tls\$' <<<"$symbols" ||
         { "$lto2" dump-symtab "$object" 2>/dev/null | grep -Eq '^[-A-Z]{6}T'; }; then
        refuse "$object" "thread-local storage" \
            "Use no thread_local, nor a function's static with a dynamic initialiser."
    fi
done
exit $status
