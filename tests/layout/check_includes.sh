#!/usr/bin/env bash
# The folders' includes follow the house's parts: the plug-in (host, input,
# ui, clothing) includes nothing of the stand-in host, the programs, the tests
# or the benchmarks, the stand-in host nothing of the programs, the tests or
# the benchmarks, and nothing of its painter either (simhost/picture/: the
# stand-in measures text itself and stands without pictures). Names each
# include that breaks the rule.
# Usage: check_includes.sh SOURCE_DIR
set -euo pipefail
cd "$1"
status=0
refuse() { # folders (a list), folders they may not include, the rule
    local hits folders
    read -ra folders <<<"$1"
    # The folders' globs are meant.
    # shellcheck disable=SC2206
    folders=(${folders[@]})
    hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($2)/" "${folders[@]}" \
               --include='*.cpp' --include='*.h' || true)
    [ -z "$hits" ] && return
    echo "check_includes: $3:"
    while IFS= read -r hit; do echo "  $hit"; done <<<"$hits"
    status=1
}
refuse "host input ui clothing" "simhost|tools|tests|bench" \
    "the plug-in includes nothing of the stand-in host, the programs, the tests or the benchmarks"
refuse "simhost" "tools|tests|bench" \
    "the stand-in host includes nothing of the programs, the tests or the benchmarks"
refuse "simhost/*.cpp simhost/*.h" "simhost/picture" \
    "the stand-in host includes nothing of its painter"
[ $status -eq 0 ] && echo "includes follow the folders: plug-in, stand-in host, its painter, programs"
exit $status
