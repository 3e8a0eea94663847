#!/usr/bin/env bash
# What Drapelle.dll is made of: the bytes each origin contributes to the
# linked sections, read from the linker's map (discarded sections left out).
# Usage: windows/dll_makeup.sh build/windows-release/windows/Drapelle.map
#        windows/dll_makeup.sh --help | --version
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
answer_help_and_version "$0" "$@"
[ $# -eq 1 ] || { print_usage "$0" >&2; exit 2; }
[[ $1 == -* ]] && refuse_option "$0" "$1"
map=$1
[ -f "$map" ] || { echo "dll_makeup.sh: no linker map at $map (build the windows-release preset)" >&2; exit 2; }
grep -q "^Linker script and memory map" "$map" 2>/dev/null || {
    echo "dll_makeup.sh: $map is not a linker map; give the map the windows-release build writes" \
         "beside its objects: build/windows-release/windows/Drapelle.map" >&2
    exit 2
}
awk '
    function hex(text,    value, i, digit) {
        value = 0
        for (i = 3; i <= length(text); i++) {
            digit = index("0123456789abcdef", tolower(substr(text, i, 1))) - 1
            value = value * 16 + digit
        }
        return value
    }
    /^Discarded input sections/ { discarded = 1 }
    /^Linker script and memory map/ { discarded = 0 }
    discarded { next }
    # An input section, on one line or with its name on the line before.
    /^ \.[^ ]+ *$/ { pending = 1; next }
    {
        if (pending && $1 ~ /^0x/) { address = $1; size = $2; file = $3 }
        else if ($1 ~ /^\./ && $2 ~ /^0x/ && $3 ~ /^0x/) { address = $2; size = $3; file = $4 }
        else { pending = 0; next }
        pending = 0
        if (address == "0x0000000000000000" || file == "") next
        bytes = hex(size)
        # Link-time optimisation hands the linker the plug-in as ltrans objects.
        if (file ~ /Drapelle\.dir|\.ltrans[0-9]*\.ltrans\.o$/) origin = "Drapelle'"'"'s own code"
        else if (file ~ /libstdc\+\+/) origin = "libstdc++ (strings, exceptions)"
        else if (file ~ /libgcc|libgcc_eh/) origin = "libgcc (unwinding, helpers)"
        else if (file ~ /libhost_imports|lib(kernel32|msvcrt)\.a/) origin = "import tables"
        else origin = "mingw-w64 start-up and C runtime glue"
        total[origin] += bytes; all += bytes
    }
    END {
        for (origin in total) printf "%8d bytes  %5.1f%%  %s\n", total[origin], 100 * total[origin] / all, origin | "sort -rn"
        close("sort -rn")
        printf "%8d bytes in sections (the file adds headers, relocations and alignment)\n", all
    }' "$map"
