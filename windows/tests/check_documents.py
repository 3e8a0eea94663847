#!/usr/bin/python3
"""The documents give the DLL's size, its imports of Windows' own and its size
budget as the build has them, each in the one place that states it. Names the file, the line and the value the DLL has.

Usage: check_documents.py DLL OBJDUMP HOST_LIBRARY SOURCE_DIR SIZE_BUDGET
"""
import os
import re
import subprocess
import sys

def windows_imports(dll, objdump, host):
    """'library function' for every import but the host library's."""
    dump = subprocess.run([objdump, "-p", dll], stdout=subprocess.PIPE, text=True,
                          check=True).stdout
    imports, library = [], None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            library = named.group(1)
            continue
        entry = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if entry and library and library.lower() != host.lower():
            imports.append(library + " " + entry.group(1))
        elif not line.strip():
            library = None
    return imports


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    dll, objdump, host, source = sys.argv[1:5]
    size = "{:,}".format(os.path.getsize(dll))
    budget = "{:,}".format(int(sys.argv[5]))
    imports = windows_imports(dll, objdump, host)
    names = sorted(entry.split(" ")[1] for entry in imports)
    # (file, phrase whose group is the fact, what the DLL has, what it is)
    facts = [("docs/windows-dll.md", r"^\| imports besides the host's eight \| (\d+):",
              str(len(imports)), "how many functions of Windows' own it imports"),
             ("docs/windows-dll.md", r"^\| imports besides the host's eight \| \d+: (.*?) \|",
              ", ".join(names), "the functions of Windows' own it imports"),
             ("README.md", r"the host's own: ([0-9,]+) bytes", size, "its size in bytes")]
    facts += [(document, r"size budget, `DRAPELLE_DLL_SIZE_BUDGET`, is ([0-9,]+) bytes", budget,
               "the DLL's size budget") for document in ("README.md", "docs/windows-dll.md")]
    failures = 0
    for document, phrase, has, what in facts:
        said = 0
        with open(os.path.join(source, document)) as text:
            for number, line in enumerate(text, 1):
                found = re.search(phrase, line)
                if not found:
                    continue
                said += 1
                stated = found.group(1)
                stated = re.sub(r"[`]|( of |; )\S+\.dll", "", stated).replace(";", ",")
                if stated != has:
                    print("%s:%d: says %s for %s; %s has %s"
                          % (document, number, stated, what, os.path.basename(dll), has))
                    failures += 1
        if not said:
            print("%s no longer states %s (/%s/): reword this check with the document"
                  % (document, what, phrase))
            failures += 1
    print("%s: %s bytes, %d imports of Windows' own (%s); %d stale facts in the documents"
          % (dll, size, len(imports), ", ".join(names), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
