#!/usr/bin/env bash
# Runs scripts/release in a repository of its own whose tree has a change
# that was never committed, and prints what it said and its exit status.
# Usage: release_uncommitted.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
cp -r "$source_dir/scripts" "$source_dir/CMakeLists.txt" "$work/"
git -C "$work" init -q
git -C "$work" add .
git -C "$work" -c user.name=test -c user.email=test@localhost commit -qm "a release's sources"
echo "# changed" >>"$work/CMakeLists.txt"
status=0
"$work/scripts/release" --host-library OtherHost.dll 2>&1 || status=$?
echo "status $status"
