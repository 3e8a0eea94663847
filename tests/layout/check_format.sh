#!/usr/bin/env bash
# Every C++ source of the tree as .clang-format lays it out: clang-format's
# findings, then each file that differs, named with the command that mends it.
# Usage: check_format.sh CLANG_FORMAT SOURCE_DIR
set -euo pipefail
clang_format=$1
cd "$2"
# The files git has here, when this is a checkout's top; else every file but
# the build trees' (a copy of the tree inside another checkout's build/).
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
    mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path ./build -prune -o -path ./.git -prune -o \
                              -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||')
fi
[ ${#files[@]} -gt 0 ] || { echo "check_format: no C++ source found in $(pwd)" >&2; exit 1; }
if findings=$("$clang_format" --dry-run -Werror "${files[@]}" 2>&1); then
    echo "clang-format: all ${#files[@]} C++ sources as .clang-format lays them out"
    exit 0
fi
head -n 40 <<<"$findings"
echo "not as .clang-format lays them out (clang-format -i FILE mends one):"
sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/  \1/p' <<<"$findings" | sort -u
exit 1
