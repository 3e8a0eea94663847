#!/usr/bin/env bash
# scripts/mutate on a scratch checkout of its own, a project of one empty
# program and one plug-in line: it fails when no chosen fault builds, when
# --only names no fault and when its equivalents list names one that is gone,
# and its warm trees lose a file the checkout lost. Says what failed.
# Usage: mutate_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1 work=$2
rm -rf "$work"
mkdir -p "$work/scripts" "$work/host" "$work/input" "$work/ui" "$work/clothing"
cd "$work"
cp "$source_dir/scripts/mutate" scripts/
printf '#!/usr/bin/env bash\nexit 0\n' >scripts/setup
chmod +x scripts/setup
# Every fault of this line breaks the build, but one (the constant held unsigned).
cat >host/value.cpp <<'CPP'
constexpr int kValue = 5;
static_assert(kValue == 5);
int main() { return 0; }
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
 "configurePresets": [{"name": "debug", "binaryDir": "${sourceDir}/build/debug", "generator": "Ninja"}],
 "buildPresets": [{"name": "debug", "configurePreset": "debug"}]}
JSON
echo "a file the checkout will lose" >notes.txt
printf '%s\n' build trees output.txt >.gitignore
echo "# no fault here is equivalent" >scripts/mutate-equivalent.txt
git init -q
git add .
git -c user.name=test -c user.email=test@localhost commit -qm scratch

failures=0
expect() { # STATUS MESSAGE -- COMMAND...: the command's exit status and a line of its output
    local status=$1 message=$2 actual=0
    shift 3
    "$@" >output.txt 2>&1 || actual=$?
    if [ "$actual" != "$status" ] || ! grep -qF -- "$message" output.txt; then
        echo "FAILED: '$*' gave status $actual (expected $status, saying '$message'):"
        cat output.txt
        failures=$((failures + 1))
    fi
}
fault=$(scripts/mutate --list | sed -n 's/^\([0-9a-f]*\) .*=>  constexpr int kValue = 6;$/\1/p')
[ -n "$fault" ] || { echo "FAILED: no fault changes kValue to 6:"; scripts/mutate --list; exit 1; }

expect 1 "no fault built (1 tried), so the suite was tried against none" -- \
    scripts/mutate --only "$fault" --jobs 1 --work trees
expect 1 "--only names no fault here: 0000000000" -- \
    scripts/mutate --only "$fault" 0000000000 --jobs 1 --work trees

# The warm tree of the run above loses what the checkout loses.
[ -f trees/tree0/notes.txt ] || { echo "FAILED: the tree never held notes.txt"; failures=$((failures + 1)); }
rm notes.txt
expect 1 "no fault built" -- scripts/mutate --only "$fault" --jobs 1 --work trees
if [ -e trees/tree0/notes.txt ]; then
    echo "FAILED: notes.txt, deleted from the checkout, is still in the warm tree"
    failures=$((failures + 1))
fi

echo "1234567890 a fault that is no longer planted" >>scripts/mutate-equivalent.txt
expect 1 "lists faults that are no longer planted: 1234567890" -- \
    scripts/mutate --only "$fault" --jobs 1 --work trees
exit $((failures > 0))
