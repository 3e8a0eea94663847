#!/usr/bin/env bash
# The commands as a user meets them: every script answers --help with its
# usage and --version with the version, and does nothing else (no build: the
# suite's cmake, tests/data/this_tree, is given no tree); every configure
# preset builds by its name (cmake --build --preset NAME); a run that
# writes pictures replaces only the pictures an earlier run left.
# Usage: commands_test.sh SOURCE_DIR DRAPELLE_SIM WORK_DIR
set -euo pipefail
source=$1 sim=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
version=$(sed -n 's/^project(Drapelle VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")

# Every program in scripts/.
scripts=$(cd "$source" && for file in scripts/*; do
    [ -f "$file" ] && [ -x "$file" ] && echo "$file"; done)
[ "$(wc -l <<<"$scripts")" -ge 9 ] || { echo "only these scripts: $scripts" >&2; exit 1; }
# What git sees of the tree (nothing outside a checkout, as in a copy).
tree_state() { (cd "$source" && { git status --porcelain 2>/dev/null || true; }) | md5sum; }
for script in $scripts; do
    before=$(tree_state)
    if ! help=$(DRAPELLE_TREE="" "$source/$script" --help 2>"$work/said") || [ -s "$work/said" ]
    then echo "$script --help failed or said: $(cat "$work/said")" >&2; exit 1; fi
    grep -qi "usage" <<<"$help" || { echo "$script --help: no usage" >&2; exit 1; }
    [ "$("$source/$script" --version)" = "$script $version" ] ||
        { echo "$script --version: $("$source/$script" --version)" >&2; exit 1; }
    [ "$before" = "$(tree_state)" ] || { echo "$script --help changed the tree" >&2; exit 1; }
    echo "$script: --help and --version"
done

# As CMake's guide and the IDEs build a preset.
presets() { (cd "$source" && cmake --list-presets="$1") | sed -n 's/^  "\([^"]*\)".*/\1/p' | sort; }
unbuilt=$(comm -23 <(presets configure) <(presets build))
[ -z "$unbuilt" ] || { echo "no build preset for the configure presets:" "${unbuilt//$'\n'/ }" >&2; exit 1; }
echo "presets: each configure preset has a build preset"

# Pictures: the earlier run's go, anything else stays.
mkdir -p "$work/pictures"
touch "$work/pictures/frame-99.png" "$work/pictures/contact-sheet.png" "$work/pictures/mine.png"
"$sim" --pictures "$work/pictures" >/dev/null
[ ! -e "$work/pictures/frame-99.png" ] || { echo "an earlier frame-99.png stayed" >&2; exit 1; }
[ -e "$work/pictures/mine.png" ] || { echo "mine.png was removed" >&2; exit 1; }
[ -s "$work/pictures/contact-sheet.png" ] || { echo "no contact sheet" >&2; exit 1; }
echo "pictures: earlier frames replaced, other files kept"
