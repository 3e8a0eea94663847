#!/usr/bin/env bash
# Setup.Packages: check_packages.py passes on this tree with programs named
# after words the project writes (CMake's, C++'s) on the PATH, as only what a
# shell would run counts; and on a scratch project it fails, naming each
# program and the job that lacks it, for a test starting a program of
# another job, and for a script calling one through a wrapper, one no
# machine has, or importing a Python module its job does not install.
# Usage: packages_test.sh SOURCE_DIR BUILD_DIR JOB SHFMT
set -euo pipefail
source=$1 build=$2 job=$3 shfmt=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/bin"
for word in project add_test foreach enable_testing int; do
    printf '#!/bin/sh\nexit 0\n' >"$work/bin/$word"
    chmod +x "$work/bin/$word"
done
export PATH=$work/bin:$PATH

# A project whose tree's job installs git and python3, and another job
# xdotool; its tree's test starts xdotool and scripts/planted, which writes
# those words, calls its own function, its own script (of the other job),
# and the programs the wrappers and find start.
mkdir -p "$work/planted/scripts" "$work/planted-build"
cp "$source/scripts/setup" "$source/scripts/common.sh" "$work/planted/scripts/"
printf 'job: git python3 cmake\nother: xdotool xvfb\n' >"$work/planted/scripts/packages.txt"
cat >"$work/planted/scripts/planted" <<'EOF_PLANTED'
#!/usr/bin/env bash
# project(Scratch) in a comment
cat >CMakeLists.txt <<'CMAKE'
project(Scratch LANGUAGES CXX)
enable_testing()
foreach(name a b)
    add_test(NAME ${name} COMMAND int)
endforeach()
CMAKE
helper() { cd "$(dirname "$0")" && printf '%s\n' "$@"; }
helper "$(scripts/other)"
echo "int main() { project; }" | grep -q 'add_test' || frobnicate-tool --x
xargs -n 1 unzip </dev/null
timeout -s KILL 5 curl
find . -name '*.zip' -exec wget {} \;
command file --version && command -v shfmt
nohup bc
scripts/planted.py
EOF_PLANTED
cat >"$work/planted/scripts/other" <<'EOF_OTHER'
#!/usr/bin/env bash
"$root/scripts/setup" other
Xvfb -help
EOF_OTHER
printf '#!/usr/bin/python3\nimport json\nimport pefile\n' >"$work/planted/scripts/planted.py"
git -C "$work/planted" init -q
git -C "$work/planted" add scripts
touch "$work/planted-build/CMakeCache.txt" "$work/planted-build/build.ninja"
printf 'add_test(started xdotool version)\nadd_test(planted "%s")\n' \
    "$work/planted/scripts/planted" >"$work/planted-build/CTestTestfile.cmake"

planted=$("$source/tests/setup/check_packages.py" "$work/planted" "$work/planted-build" job "$shfmt") &&
    { echo "the planted programs passed:"; echo "$planted"; exit 1; }
expected=(xdotool frobnicate-tool unzip curl wget file bc pefile)
for program in "${expected[@]}"; do
    grep -q "^Setup: .*\b$program\b.* for job\.$" <<<"$planted" ||
        { printf 'no line names %s and the job lacking it:\n%s\n' "$program" "$planted"; exit 1; }
done
if [ "$(grep -c '^Setup: ' <<<"$planted")" -ne $((${#expected[@]} + 1)) ]; then
    printf 'the planted programs, %s, alone should fail, but gave:\n%s\n' "${expected[*]}" "$planted"
    exit 1
fi

exec "$source/tests/setup/check_packages.py" "$source" "$build" "$job" "$shfmt"
