#!/usr/bin/env bash
# The host's eight decorated names have one source, the compiler: reads the
# names clang-cl gave the declarations of host/script_host.h (in the object of
# the stub host the import library is made from) and checks that the stand-in
# host's exports, which the DLL check reads too, list exactly those.
# Usage: check_host_names.sh LLVM_NM STUB_OBJECT SIMHOST_EXPORTS_DEF
set -euo pipefail
nm=$1 object=$2 exports=$3

compiler=$("$nm" --defined-only --extern-only --format=just-symbols "$object" | grep '^?' | sort)
indent() { sed 's/^/  /'; }
echo "the compiler's names:"; indent <<<"$compiler"

status=0
compare() {
    local file=$1 names=$2
    if [ "$names" = "$compiler" ]; then
        echo "$(basename "$file"): the same eight names"
        return
    fi
    echo "check_host_names: $(basename "$file") differs from the compiler's names" \
         "(< the compiler, > $(basename "$file")):" >&2
    diff <(echo "$compiler") <(echo "$names") | grep '^[<>]' >&2 || true
    status=1
}
compare "$exports" "$(sed -n 's/^"\(.*\)" = .*/\1/p' "$exports" | sort)"
exit $status
