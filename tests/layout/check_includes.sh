#!/usr/bin/env bash
# The folders' includes follow the house's parts: the plug-in (host, input,
# ui, clothing) includes nothing of the stand-in host, its harness, the
# programs, the tests or the benchmarks; the stand-in host nothing of its
# harness, the programs, the tests or the benchmarks, nor of its painter
# (simhost/picture/: the stand-in measures text itself and stands without
# pictures); the harness nothing of the programs, the tests or the
# benchmarks; the programs nothing of the tests or the benchmarks. Names each
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
refuse "host input ui clothing" "simhost|harness|tools|tests|bench" \
    "the plug-in includes nothing of the stand-in host, its harness, the programs, the tests or the benchmarks"
refuse "simhost" "harness|tools|tests|bench" \
    "the stand-in host includes nothing of its harness, the programs, the tests or the benchmarks"
refuse "simhost/*.cpp simhost/*.h" "simhost/picture" \
    "the stand-in host includes nothing of its painter"
refuse "harness" "tools|tests|bench" \
    "the harness includes nothing of the programs, the tests or the benchmarks"
refuse "tools" "tests|bench" \
    "the programs include nothing of the tests or the benchmarks"
[ $status -eq 0 ] && echo "includes follow the folders: plug-in, stand-in host, its painter, harness, programs"
exit $status
