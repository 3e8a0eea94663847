#!/usr/bin/env bash
# The documents' pictures show what the demo paints now: paints the built-in
# demo's key moments (as scripts/doc-pictures makes the pictures from them)
# and compares their digests with the ones docs/pictures.sha256 recorded when
# the pictures were last made. Painting is the stand-in's own, the same bytes
# from every build of the tree, so a changed frame means changed pictures.
# Usage: doc_pictures_check.sh DRAPELLE_SIM SOURCE_DIR WORK
set -euo pipefail
sim=$1 source=$2 work=$3
rm -rf "$work"
"$sim" --pictures "$work" >/dev/null
painted=$(cd "$work" && sha256sum -- *.png)
if ! differences=$(diff <(cat "$source/docs/pictures.sha256") <(echo "$painted")); then
    echo "docs/drapelle-demo.gif and docs/clothing-menu.png no longer show what the demo paints:"
    echo "run scripts/doc-pictures and commit the pictures with docs/pictures.sha256."
    echo "What the demo paints now (>) against what the pictures were made from (<):"
    echo "$differences"
    exit 1
fi
echo "the documents' pictures show what the demo paints ($(echo "$painted" | wc -l) pictures)"
