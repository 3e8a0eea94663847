#!/usr/bin/python3
"""The pages name what exists: every path in backticks in README.md and
docs/*.md that lies in the source tree exists (build outputs, under build/ or
without a folder, are not looked for), every link to another page or to one
of its headings leads somewhere, and every function, constant or type a page
names beside a file ("`keyTapped` (`input/key_table.cpp`)", "`playScenario` in
`harness/scenario.cpp`", "(`harness/windows_plugin.cpp`, `loadPlugin`)") is
in that file. Each failure names the page and its line.

Usage: check_page_names.py SOURCE_DIR
"""
import glob
import os
import re
import sys

CODE = re.compile(r"`([^`\n]+)`")
PATH = re.compile(r"^[\w.-]+(/[\w.-]+)*/?$")
NAME = re.compile(r"^[A-Za-z_][\w]*(::[A-Za-z_]\w*)*(\(\))?$")
SOURCE = re.compile(r"\.(cpp|h|cmake|sh|py|txt|json|def|in)$|CMakeLists\.txt$")
# A name and its file: "`name` (`file`", "`name` in `file`", "(`name`, `file`)", "(`file`, `name`)".
BESIDE = [re.compile(r"`(?P<name>[^`]+)`\s+\(`(?P<file>[^`]+)`"),
          re.compile(r"`(?P<name>[^`]+)`\s+in\s+`(?P<file>[^`]+)`"),
          re.compile(r"\(`(?P<name>[^`]+)`,\s+`(?P<file>[^`]+)`\)"),
          re.compile(r"\(`(?P<file>[^`]+)`,\s+`(?P<name>[^`]+)`\)")]
LINK = re.compile(r"\]\(([^)\s]+)\)")


def slug(heading):
    """The anchor a heading gets: lower case, punctuation dropped, blanks as dashes."""
    text = re.sub(r"[^\w\- ]", "", heading.strip().lower())
    return text.replace(" ", "-")


def anchors(path):
    with open(path) as page:
        return {slug(line.lstrip("#")) for line in page if line.startswith("#")}


def is_tree_path(token):
    """A path in the source tree: it has a folder, and is no build output."""
    return ("/" in token.rstrip("/") and PATH.match(token) and not token.startswith("build/")
            and "..." not in token)


def code_text(path):
    """The file without its comment lines, so that a name must be in its code."""
    with open(path, errors="replace") as source:
        return "\n".join(line for line in source if not line.lstrip().startswith(("//", "#")))


def check_page(source, page, failures):
    relative = os.path.relpath(page, source)
    with open(page) as text:
        lines = text.read().split("\n")
    # Paragraphs joined, so that a name and its file may sit on two lines.
    joined, starts = "", []
    for number, line in enumerate(lines, 1):
        starts.append((len(joined), number))
        joined += line + " "

    def line_of(offset):
        number = 1
        for start, line in starts:
            if start > offset:
                break
            number = line
        return number

    def fail(offset, message):
        failures.append("%s:%d: %s" % (relative, line_of(offset), message))

    in_fence = False
    for number, line in enumerate(lines, 1):
        if line.startswith("```"):
            in_fence = not in_fence
            continue
        if in_fence:
            continue
        for token in CODE.findall(line):
            if is_tree_path(token) and not os.path.exists(os.path.join(source, token)):
                failures.append("%s:%d: `%s` does not exist" % (relative, number, token))
        for target in LINK.findall(line):
            if re.match(r"^[a-z]+:", target):
                continue
            file, _, anchor = target.partition("#")
            where = os.path.normpath(os.path.join(os.path.dirname(page), file)) if file else page
            if not os.path.exists(where):
                failures.append("%s:%d: the link to %s leads nowhere" % (relative, number, target))
            elif anchor and where.endswith(".md") and anchor not in anchors(where):
                failures.append("%s:%d: %s has no heading #%s" % (relative, number, file or
                                                                   relative, anchor))
    for pattern in BESIDE:
        for found in pattern.finditer(joined):
            name, file = found.group("name"), found.group("file")
            if not (NAME.match(name) and is_tree_path(file) and SOURCE.search(file)):
                continue
            path = os.path.join(source, file)
            if not os.path.isfile(path):
                continue  # said above, as a path that does not exist
            word = name.rstrip("()").split("::")[-1]
            if not re.search(r"\b%s\b" % re.escape(word), code_text(path)):
                fail(found.start(), "`%s` is not in %s" % (name, file))


def main():
    source = sys.argv[1]
    pages = [os.path.join(source, "README.md")] + sorted(glob.glob(os.path.join(source, "docs",
                                                                                  "*.md")))
    failures = []
    for page in pages:
        check_page(source, page, failures)
    for failure in failures:
        print(failure)
    if not failures:
        print("%d pages: every path, link and name beside a file is there" % len(pages))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
