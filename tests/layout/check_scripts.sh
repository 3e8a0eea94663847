#!/usr/bin/env bash
# Every shell script of the tree through shellcheck, with the settings of
# .shellcheckrc: a script is a file ending in .sh or starting with a #! line
# for bash or sh. Each finding is named file:line:column.
# Usage: check_scripts.sh SHELLCHECK SOURCE_DIR
set -euo pipefail
shellcheck=$1
cd "$2"
# The files git has here, when this is a checkout's top; else every file but
# the build trees' (a copy of the tree inside another checkout's build/).
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
    mapfile -t files < <(git ls-files -co --exclude-standard)
else
    mapfile -t files < <(find . -path ./build -prune -o -path ./.git -prune -o -type f -print |
                             sed 's|^\./||')
fi
scripts=()
# The first line read by the shell itself: a process or two per file took
# several times the whole check's run on one core.
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    first=""
    [[ $file == *.sh ]] || IFS= read -r first <"$file" 2>/dev/null || true
    if [[ $file == *.sh || $first =~ ^#!.*[/\ ](ba)?sh$ ]]; then scripts+=("$file"); fi
done
[ ${#scripts[@]} -gt 0 ] || { echo "check_scripts: no shell script found in $(pwd)" >&2; exit 1; }
"$shellcheck" -f gcc "${scripts[@]}"
echo "shellcheck: no finding in ${#scripts[@]} scripts"
