#!/usr/bin/env bash
# scripts/mutate on a scratch checkout of its own, a project of a program and
# its test: it tries the faults that build and scores them, proves one
# equivalent by the compiler and none whose code it cannot see whole, fails
# when no chosen fault builds, when --only names no fault and, after trying
# its faults, when its equivalents list names one that is gone or one the
# compiler proves; its warm trees lose a file the checkout lost. Says what
# failed.
# Usage: mutate_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1 work=$2
rm -rf "$work"
mkdir -p "$work/scripts" "$work/host" "$work/input" "$work/ui" "$work/clothing"
cd "$work"
cp "$source_dir/scripts/mutate" scripts/
printf '#!/usr/bin/env bash\nexit 0\n' >scripts/setup
chmod +x scripts/setup
# The faults: kValue moved either way breaks the build, and so does count
# held unsigned, which -Werror=sign-compare refuses; offset held unsigned,
# + for the last - and same()'s arguments swapped are the same code; the other
# eight of the last line (offset and 3 moved, - for +, <= and >= for <) each
# make the program fail, so the tests catch them. same() with != only the
# test's object shows, and the test catches it; small()'s bound moved to 8
# makes no bytes anywhere, and no tree here compiles windowsOnly(), so the
# compiler proves neither (the list below names them); small()'s other faults
# break the test's build.
cat >host/value.h <<'CPP'
#pragma once
constexpr int kValue = 5;
// Only the compiler asks whether a value is small.
constexpr bool small(int value) { return value < 9; }
static_assert(kValue == 5 && small(kValue));
// Only the test compares values.
inline bool same(int a, int b) { return a == b; }
#ifdef _WIN32
#ifndef SCRATCH_LEAN
#define SCRATCH_LEAN
#endif
inline bool windowsOnly(bool value) { return !value; }
#endif
CPP
cat >host/value.cpp <<'CPP'
#include "host/value.h"
int main(int argc, char**) {
    const int offset = 2;
    const int count = argc;
    return kValue - 3 - offset - (count < argc);
}
CPP
mkdir tests
cat >tests/check.cpp <<'CPP'
#include "host/value.h"
static_assert(!small(9));
int main() { return same(kValue, 5) ? 0 : 1; }
CPP
cat >CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(Scratch LANGUAGES CXX)
enable_testing()
add_compile_options(-Wall -Wextra -Werror)
include_directories(${PROJECT_SOURCE_DIR})
add_executable(drapelle_tests host/value.cpp)
add_executable(check tests/check.cpp)
add_custom_target(mutation_targets)
add_dependencies(mutation_targets drapelle_tests check)
add_test(NAME Passes COMMAND drapelle_tests)
add_test(NAME Checks COMMAND check)
CMAKE
cat >CMakePresets.json <<'JSON'
{"version": 6,
 "configurePresets": [{"name": "debug", "binaryDir": "${sourceDir}/build/debug", "generator": "Ninja"}]}
JSON
echo "a file the checkout will lose" >notes.txt
printf '%s\n' build trees output.txt >.gitignore
echo "# filled in below" >scripts/mutate-equivalent.txt
fault_id() { # the id of the fault that changes a line to $1
    scripts/mutate --list | sed -n "s/^\([0-9a-f]*\) .*=>  $1\$/\1/p"
}
unbuilt=$(fault_id 'constexpr int kValue = 6;') proven=$(fault_id 'const unsigned offset = 2;')
unsigned=$(fault_id 'const unsigned count = argc;')
same=$(fault_id 'inline bool same(int a, int b) { return a != b; }')
bound=$(fault_id 'constexpr bool small(int value) { return value < 8; }')
windows=$(fault_id 'inline bool windowsOnly(bool value) { return value; }')
if [ -z "$unbuilt" ] || [ -z "$proven" ] || [ -z "$unsigned" ] || [ -z "$same" ] ||
    [ -z "$bound" ] || [ -z "$windows" ]; then
    echo "FAILED: a fault the test needs is not planted:"
    scripts/mutate --list
    exit 1
fi
printf '%s\n' "$bound only the compiler asks small() of 5" "$windows no tree here compiles it" \
    >scripts/mutate-equivalent.txt
git init -q
git add .
git -c user.name=test -c user.email=test@localhost commit -qm scratch

failures=0
expect() { # STATUS LAST_LINE [LINE...] -- COMMAND...: the exit status, the end of the
    local status=$1 last=$2 actual=0 lines=() missing="" # output's last line, lines before
    shift 2
    while [ "$1" != -- ]; do lines+=("$1"); shift; done
    shift
    "$@" >output.txt 2>&1 || actual=$?
    tail -n 1 output.txt | grep -qF -- "$last" || missing="the last line"
    for line in "${lines[@]}"; do
        grep -qF -- "$line" output.txt || missing="'$line'"
    done
    if [ "$actual" != "$status" ] || [ -n "$missing" ]; then
        echo "FAILED: '$*' gave status $actual (expected $status, ending '$last'), lacking $missing:"
        cat output.txt
        failures=$((failures + 1))
    fi
}
# Proven only where every object that compiles the line, the test's too, is
# the same code built with the tree's own flags, and the line makes code.
expect 0 "mutate: the compiler proves 0 of 4 chosen equivalent, and 1 do not build" \
    "no build     $unsigned" -- \
    scripts/mutate --compare-only --only "$unsigned" "$same" "$bound" "$windows" --jobs 1 \
    --work trees
expect 1 "mutate: no fault built (1 tried), so the suite was tried against none" -- \
    scripts/mutate --only "$unbuilt" --jobs 1 --work trees
expect 1 "mutate: --only names no fault here: 0000000000" -- \
    scripts/mutate --only "$unbuilt" 0000000000 --jobs 1 --work trees

# The warm tree of the runs above loses what the checkout loses.
[ -f trees/tree0/notes.txt ] || { echo "FAILED: the tree never held notes.txt"; failures=$((failures + 1)); }
rm notes.txt
expect 1 "mutate: no fault built" -- scripts/mutate --only "$unbuilt" --jobs 1 --work trees
if [ -e trees/tree0/notes.txt ]; then
    echo "FAILED: notes.txt, deleted from the checkout, is still in the warm tree"
    failures=$((failures + 1))
fi

# The whole run, once: it scores every fault, then holds the list to what it
# found.
printf '%s\n' "1234567890 a fault that is no longer planted" "$proven the same code" \
    >>scripts/mutate-equivalent.txt
expect 1 "no longer planted: 1234567890;" "the compiler proves equivalent: $proven;" \
    "equivalent   $proven" "score: 100.0% (9 of 9 killed; 7 did not build; 2 proven equivalent;" \
    -- scripts/mutate --jobs 1 --work trees
exit $((failures > 0))
