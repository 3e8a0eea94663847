#!/usr/bin/python3
"""Copies a DLL with one name in its import table replaced, to make a plug-in
whose host library or host function is missing. The new name may not be
longer than the old one; the rest of the old name's room is filled with NULs.

Usage: rename_import.py DLL OUT OLD NEW"""
import sys


def main(dll, out, old, new):
    if len(new) > len(old):
        sys.exit("rename_import: %s is longer than %s" % (new, old))
    with open(dll, "rb") as source:
        image = source.read()
    wanted = old.encode() + b"\0"
    if image.count(wanted) != 1:
        sys.exit("rename_import: %s is in %s %d times, not once" % (old, dll, image.count(wanted)))
    image = image.replace(wanted, new.encode().ljust(len(wanted), b"\0"))
    with open(out, "wb") as target:
        target.write(image)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
