#!/usr/bin/env bash
# scripts/release for another host library and plug-in file, as a modder
# makes one: its trees build under those names and pass their checks, and the
# zip's read-me names the command that makes it again (when the tree is a
# commit; a tree with changes is released as uncommitted).
# Usage: release_for_another_host.sh SOURCE_DIR OUT_DIR
set -euo pipefail
source_dir=$1 out=$2
command=(scripts/release --host-library OtherHost.dll --plugin-file Drapelle.plug)
uncommitted=()
[ -z "$(git -C "$source_dir" status --porcelain)" ] || uncommitted=(--uncommitted)
rm -rf "$out"
(cd "$source_dir" && "${command[@]}" "${uncommitted[@]}" --out "$out")
zips=("$out"/Drapelle-*-win64-OtherHost-plug*.zip)
[ -f "${zips[0]}" ] || { echo "no zip for OtherHost.dll in $out:" "$(ls "$out")"; exit 1; }
[ ${#uncommitted[@]} -eq 0 ] || exit 0
readme=$(/usr/bin/python3 - "${zips[0]}" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    name = next(n for n in archive.namelist() if n.endswith("/README.txt"))
    print(archive.read(name).decode().replace("\r\n", "\n"))
EOF
)
grep -qxF "  ${command[*]}" <<<"$readme" || {
    echo "the read-me of ${zips[0]##*/} does not name '${command[*]}':"
    echo "$readme"
    exit 1
}
echo "the read-me names '${command[*]}'"
