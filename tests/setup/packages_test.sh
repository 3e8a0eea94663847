#!/usr/bin/env bash
# Setup.Packages: check_packages.py passes on this tree with programs named
# after words the project writes (CMake's, C++'s) on the PATH, as only what a
# shell would run counts; and it fails, naming the program and its package,
# for a script that calls a program scripts/setup does not install.
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

# A project whose setup installs git alone, with a script that writes those
# words and calls xdotool.
mkdir -p "$work/planted/scripts" "$work/planted-build"
cp "$source/scripts/setup" "$source/scripts/common.sh" "$work/planted/scripts/"
echo "job: git" >"$work/planted/scripts/packages.txt"
cat >"$work/planted/scripts/planted" <<'EOF'
#!/usr/bin/env bash
# project(Scratch) in a comment
cat >CMakeLists.txt <<'CMAKE'
project(Scratch LANGUAGES CXX)
enable_testing()
foreach(name a b)
    add_test(NAME ${name} COMMAND int)
endforeach()
CMAKE
echo "int main() { project; }" | grep -q 'add_test' || xdotool version
EOF
git -C "$work/planted" init -q
git -C "$work/planted" add scripts/planted
touch "$work/planted-build/CMakeCache.txt" "$work/planted-build/build.ninja"

planted=$("$source/tests/setup/check_packages.py" "$work/planted" "$work/planted-build" job "$shfmt") &&
    { echo "the planted call of xdotool passed:"; echo "$planted"; exit 1; }
expected="Setup: $(command -v xdotool) (a program planted starts) come from Debian's xdotool"
if [ "$(grep -c '^Setup: /' <<<"$planted")" -ne 1 ] || ! grep -qF "$expected" <<<"$planted"; then
    printf 'the planted call of xdotool, alone, should fail with\n%s\nbut gave:\n%s\n' \
        "$expected" "$planted"
    exit 1
fi

exec "$source/tests/setup/check_packages.py" "$source" "$build" "$job" "$shfmt"
