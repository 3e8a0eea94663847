#!/usr/bin/env bash
# scripts/mutate on a scratch checkout of its own, a project of one program:
# it tries the faults that build and scores them, proves one equivalent by
# the compiler, fails when no chosen fault builds, when --only names no fault
# and, after trying its faults, when its equivalents list names one that is
# gone or one the compiler proves; its warm trees lose a file the checkout
# lost. Says what failed.
# Usage: mutate_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1 work=$2
rm -rf "$work"
mkdir -p "$work/scripts" "$work/host" "$work/input" "$work/ui" "$work/clothing"
cd "$work"
cp "$source_dir/scripts/mutate" scripts/
printf '#!/usr/bin/env bash\nexit 0\n' >scripts/setup
chmod +x scripts/setup
# The faults: kValue moved either way breaks the build; offset held unsigned
# is the same code; the other six (offset and 3 moved, - for +) each make the
# program fail, so the test catches them.
cat >host/value.cpp <<'CPP'
constexpr int kValue = 5;
static_assert(kValue == 5);
int main() {
    const int offset = 2;
    return kValue - 3 - offset;
}
CPP
cat >CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(Scratch LANGUAGES CXX)
enable_testing()
add_executable(drapelle_tests host/value.cpp)
add_custom_target(mutation_targets)
add_dependencies(mutation_targets drapelle_tests)
add_test(NAME Passes COMMAND drapelle_tests)
CMAKE
cat >CMakePresets.json <<'JSON'
{"version": 6,
 "configurePresets": [{"name": "debug", "binaryDir": "${sourceDir}/build/debug", "generator": "Ninja"}]}
JSON
echo "a file the checkout will lose" >notes.txt
printf '%s\n' build trees output.txt >.gitignore
echo "# no fault here is equivalent" >scripts/mutate-equivalent.txt
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
fault_id() { # the id of the fault that changes a line to $1
    scripts/mutate --list | sed -n "s/^\([0-9a-f]*\) .*=>  $1\$/\1/p"
}
unbuilt=$(fault_id 'constexpr int kValue = 6;') proven=$(fault_id 'const unsigned offset = 2;')
if [ -z "$unbuilt" ] || [ -z "$proven" ]; then
    echo "FAILED: no fault moves kValue to 6 or holds offset unsigned:"
    scripts/mutate --list
    exit 1
fi

expect 0 "score: 100.0% (6 of 6 killed; 2 did not build; 1 proven equivalent;" \
    "equivalent   $proven" -- scripts/mutate --jobs 1 --work trees
expect 1 "mutate: no fault built (1 tried), so the suite was tried against none" -- \
    scripts/mutate --only "$unbuilt" --jobs 1 --work trees
expect 1 "mutate: --only names no fault here: 0000000000" -- \
    scripts/mutate --only "$unbuilt" 0000000000 --jobs 1 --work trees

# The warm tree of the run above loses what the checkout loses.
[ -f trees/tree0/notes.txt ] || { echo "FAILED: the tree never held notes.txt"; failures=$((failures + 1)); }
rm notes.txt
expect 1 "mutate: no fault built" -- scripts/mutate --only "$unbuilt" --jobs 1 --work trees
if [ -e trees/tree0/notes.txt ]; then
    echo "FAILED: notes.txt, deleted from the checkout, is still in the warm tree"
    failures=$((failures + 1))
fi

printf '%s\n' "1234567890 a fault that is no longer planted" "$proven the same code" \
    >>scripts/mutate-equivalent.txt
expect 1 "no longer planted: 1234567890;" "the compiler proves equivalent: $proven;" \
    "score: 100.0% (6 of 6 killed;" -- scripts/mutate --jobs 1 --work trees
exit $((failures > 0))
