#!/usr/bin/env bash
# Runs scripts/release with ARGS in a repository of its own whose set-up fails
# loudly when called, so that a refusal made only after set-up (which would
# install the Windows toolchain from a Linux suite) fails the test; with
# --dirty its tree has a change that was never committed. Prints what it said
# and its exit status.
# Usage: release_refusal.sh SOURCE_DIR WORK_DIR [--dirty] [ARG...]
set -euo pipefail
source_dir=$1 work=$2
shift 2
rm -rf "$work"
mkdir -p "$work"
cp -r "$source_dir/scripts" "$source_dir/CMakeLists.txt" "$work/"
cat >"$work/scripts/setup" <<'SETUP'
#!/usr/bin/env bash
echo "scripts/setup was called with '$*' before the release was refused" >&2
exit 99
SETUP
chmod +x "$work/scripts/setup"
git -C "$work" init -q
git -C "$work" add .
git -C "$work" -c user.name=test -c user.email=test@localhost commit -qm "a release's sources"
if [ "${1:-}" = --dirty ]; then
    echo "# changed" >>"$work/CMakeLists.txt"
    shift
fi
status=0
"$work/scripts/release" "$@" 2>&1 || status=$?
echo "status $status"
