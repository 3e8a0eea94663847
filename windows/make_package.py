#!/usr/bin/python3
"""Makes the player's zip: one folder holding the plug-in under its file name,
README.txt and LICENSE.txt (both with Windows line ends) and SHA256SUMS.txt
of the three, in a fixed order, with fixed entry times and modes and nothing
of the build machine, so that two builds give the same bytes.

Usage: make_package.py DLL PLUGIN_FILE LICENSE README FOLDER ZIP"""

import hashlib
import sys
import zipfile

ENTRY_TIME = (2026, 1, 1, 0, 0, 0)


def with_crlf(path):
    with open(path, "rb") as source:
        return source.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def main(dll, plugin_file, licence, readme, folder, target):
    with open(dll, "rb") as source:
        files = [(plugin_file, source.read()), ("LICENSE.txt", with_crlf(licence)),
                 ("README.txt", with_crlf(readme))]
    # sha256sum's own line format, which "sha256sum -c" reads on any system.
    sums = "".join("%s *%s\r\n" % (hashlib.sha256(data).hexdigest(), name)
                   for name, data in files)
    files.append(("SHA256SUMS.txt", sums.encode()))
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(folder + "/" + name, ENTRY_TIME)
            entry.create_system = 0  # MS-DOS: no Unix owner or mode
            entry.external_attr = 0x20  # the archive attribute, as Windows sets it
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data, compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    main(*sys.argv[1:])
