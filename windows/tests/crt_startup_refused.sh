#!/usr/bin/env bash
# Compiles data/needs_crt_startup.cpp with one thing that would need the C
# runtime's start-up code and runs the check the DLL's link runs on it, which
# must refuse it: passes when the check fails with its reason (ctest matches
# the reason), fails when the check lets the object through.
# Usage: crt_startup_refused.sh CLANG_CL NEEDS LTO_OPTION OBJECT CHECK NM LTO2
set -uo pipefail
compiler=$1 needs=$2 lto=$3 object=$4
shift 4
"$compiler" --target=x86_64-pc-windows-msvc /nologo /c /O2 "$lto" "/DNEEDS=$needs" "/Fo$object" \
    -- "$(dirname "$0")/data/needs_crt_startup.cpp" || exit 1
if "$1" "$2" "$3" "$object" 2>&1; then
    echo "crt_startup_refused: the check let $(basename "$object") through"
    exit 1
fi
