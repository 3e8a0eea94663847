#!/bin/sh
# Runs a compile with every path into the source tree named through the
# build folder's link "source" instead: clang-cl 14 names a file's anonymous
# namespace after the path it was given, and that name reaches the PDB and,
# through the PDB's GUID, the DLL, so a path of the build machine would make
# every checkout build other bytes.
# Usage: through_source_link.sh SOURCE_DIR COMPILER ARGUMENT...
source_dir=$1
shift
for argument do
    shift
    case $argument in
        "$source_dir"/*) argument="source/${argument#"$source_dir"/}" ;;
    esac
    set -- "$@" "$argument"
done
exec "$@"
