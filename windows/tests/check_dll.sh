#!/usr/bin/env bash
# Checks what a player's machine will see of Drapelle.dll: it exports no
# names, imports exactly the host's eight functions by their decorated names
# and otherwise only the checked-in list of Windows functions, and it carries
# a version resource. Library names are compared as Windows compares them,
# without regard to case; the host's names are those the stand-in host
# exports (windows/simhost_exports.def).
# Usage: check_dll.sh DLL OBJDUMP HOST_LIBRARY ALLOWED_IMPORTS SIMHOST_EXPORTS_DEF
set -euo pipefail
dll=$1 objdump=$2 host=$3 allowed=$4 host_exports=$5

fail() { echo "check_dll: $*" >&2; exit 1; }

imports=$("$objdump" -p "$dll")
libraries=$(awk '/DLL Name:/ { print $3 }' <<<"$imports" | sort -u)
indent() { sed 's/^/  /'; }
echo "imported libraries:"; indent <<<"$libraries"
while read -r library; do
    case "${library,,}" in
        "${host,,}" | kernel32.dll) ;;
        *) fail "imports from $library, which is neither the host nor kernel32.dll" ;;
    esac
done <<<"$libraries"

exported=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
                inside && NF == 0 { inside = 0 }
                inside { print $NF }' <<<"$imports")
[ -z "$exported" ] || fail "exports names:"$'\n'"$exported"
echo "exports: none"

system_imports=$(awk -v host="$host" '
    /DLL Name:/ { library = (tolower($3) == tolower(host)) ? "" : tolower($3); next }
    NF == 0 { library = "" }
    library != "" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print library, $3 }' <<<"$imports" | sort)
unexpected=$(comm -13 <(grep -v '^#' "$allowed" | awk '{ print tolower($1), $2 }' | sort) \
                      <(echo "$system_imports"))
[ -z "$unexpected" ] || fail "imports outside $(basename "$allowed"):"$'\n'"$unexpected"
echo "system imports: $(wc -l <<<"$system_imports"), all in $(basename "$allowed")"

host_functions=$(awk -v host="$host" '
    /DLL Name:/ { inside = (tolower($3) == tolower(host)); next }
    inside && NF == 0 { inside = 0 }
    inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }' <<<"$imports" | sort)
expected=$(sed -n 's/^"\(.*\)" = .*/\1/p' "$host_exports" | sort)
[ "$host_functions" = "$expected" ] ||
    fail "imports from $host differ:"$'\n'"$(diff <(echo "$expected") <(echo "$host_functions") || true)"
echo "imports from $host: exactly the eight host functions"

resources=$(strings -a -el "$dll")
for field in ProductName FileDescription FileVersion; do
    grep -qx "$field" <<<"$resources" || fail "no $field in the version resource"
done
grep -qx "Drapelle" <<<"$resources" || fail "the version resource does not name Drapelle"
echo "version resource: $(grep -A1 -x ProductVersion <<<"$resources" | tail -1)"
