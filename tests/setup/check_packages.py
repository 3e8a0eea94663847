#!/usr/bin/python3
"""Checks that a build tree, its tests and the project's scripts take from the
system only what scripts/setup installs: every file the build used (compilers
and tools CMake found, the headers the objects include, the libraries they
link, paths the sources name, such as GoogleTest's sources and the fonts) and
every program the tests and scripts start is mapped to its Debian package,
which must be one scripts/setup names, one those depend on, or one every
Debian system has (Essential, or priority required).

Usage: check_packages.py SOURCE_DIR BUILD_DIR JOB SHFMT
(JOB: the line of scripts/packages.txt a fix for this tree goes on; SHFMT:
the shell parser that reads the commands of scripts and of the build)
"""
import json
import os
import re
import shutil
import subprocess
import sys

# Cache entries that name where things would be installed, not what is used.
IGNORED_CACHE_KEYS = re.compile(r"INSTALL_PREFIX$")
# Commands that start the program named by the words after their options
# (timeout: after its duration too).
WRAPPERS = {"exec", "env", "nice", "setsid", "sudo", "timeout", "xargs"}
SYSTEM_PATH = re.compile(r"(?<![\w.$/-])/(?:usr|etc|opt|bin|lib|sbin)/[\w./+-]*[\w+]")


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def setup_packages(source):
    listed = run([os.path.join(source, "scripts", "setup"), "--list"], check=True)
    return set(listed.stdout.split())


def installed_packages():
    """Installed packages: {name: (essential or required, [dependency groups])},
    and {virtual name: [packages providing it]}."""
    fields = "${Package}\t${Essential}\t${Priority}\t${Provides}\t${Pre-Depends}, ${Depends}\t${Status}\n"
    packages, provides = {}, {}
    for line in run(["dpkg-query", "-W", "-f=" + fields], check=True).stdout.splitlines():
        name, essential, priority, provided, depends, status = line.split("\t")
        if not status.endswith(" installed"):
            continue
        groups = [[strip_version(alternative) for alternative in group.split("|")]
                  for group in depends.split(",") if group.strip()]
        packages[name] = (essential == "yes" or priority == "required", groups)
        for virtual in provided.split(","):
            if virtual.strip():
                provides.setdefault(strip_version(virtual), []).append(name)
    return packages, provides


def strip_version(name):
    return name.split("(")[0].strip().split(":")[0]


def acceptable_packages(named, packages, provides):
    """What setup names, everything those depend on, and the base system's own."""
    accepted = {name for name, (base, _) in packages.items() if base}
    todo = [name for name in named if name in packages]
    while todo:
        name = todo.pop()
        if name in accepted and name not in named:
            continue
        accepted.add(name)
        for group in packages.get(name, (False, []))[1]:
            for alternative in group:
                for real in [alternative] + provides.get(alternative, []):
                    if real in packages and real not in accepted:
                        todo.append(real)
    return accepted | set(named)


def owners(paths):
    """{path: set of packages} for the paths dpkg knows, trying the /usr-merged
    spellings too (/lib and /usr/lib are one folder)."""
    spellings = {}
    for path in paths:
        real = os.path.realpath(path)
        for candidate in {path, real}:
            for variant in {candidate, re.sub(r"^/usr/(lib|bin|sbin)", r"/\1", candidate),
                            re.sub(r"^/(lib|bin|sbin)/", r"/usr/\1/", candidate)}:
                spellings.setdefault(variant, set()).add(path)
    found = {}
    listing = run(["dpkg", "-S"] + sorted(spellings)).stdout
    for line in listing.splitlines():
        if line.startswith("diversion ") or ": " not in line:
            continue
        names, path = line.split(": ", 1)
        for original in spellings.get(path, ()):
            found.setdefault(original, set()).update(
                name.strip().split(":")[0] for name in names.split(","))
    return found


def cache_paths(build):
    paths = {}
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        for line in cache:
            match = re.match(r"([\w.+-]+):(\w+)=(.*)", line.strip())
            if not match or IGNORED_CACHE_KEYS.search(match.group(1)):
                continue
            for value in match.group(3).split(";"):
                if value.startswith("/"):
                    paths.setdefault(value, "found by CMake as " + match.group(1))
    return paths


def shell_commands(shfmt, text, what):
    """The commands a shell text runs, read by a shell parser (shfmt): the
    words of here-documents, quoted text and comments are none. Each command
    is its words, None for one known only when it runs ("$x", $(...)); the
    text's own functions and the shell's builtins are left out."""
    parsed = run([shfmt, "--to-json", "-ln", "bash"], input=text)
    if parsed.returncode:
        sys.exit("Setup: shfmt cannot read %s: %s" % (what, parsed.stderr.strip()))
    calls, functions = [], set()

    def walk(node):
        if isinstance(node, list):
            for item in node:
                walk(item)
        elif isinstance(node, dict):
            if node.get("Type") == "CallExpr" and node.get("Args"):
                calls.append([literal(word) for word in node["Args"]])
            elif node.get("Type") == "FuncDecl":
                functions.add(node["Name"]["Value"])
            for value in node.values():
                walk(value)

    walk(json.loads(parsed.stdout))
    builtins = set(run(["bash", "-c", "compgen -b -k"]).stdout.split())
    commands = []
    for words in calls:
        while words and words[0] not in functions:
            if words[0] not in builtins:
                commands.append(words)
            if words[0] not in WRAPPERS:
                break
            wrapper, words = words[0], words[1:]
            while words and words[0] and (words[0].startswith("-") or "=" in words[0]):
                words = words[1:]
            words = words[1:] if wrapper == "timeout" else words
    return commands


def literal(word):
    """A word's text, or None when it holds an expansion."""
    text = ""
    for part in word["Parts"]:
        if part["Type"] == "Lit":
            text += re.sub(r"\\(.)", r"\1", part.get("Value", ""))
        elif part["Type"] == "SglQuoted":
            text += part.get("Value", "")
        elif part["Type"] == "DblQuoted" and all(p["Type"] == "Lit" for p in part.get("Parts", [])):
            text += "".join(p.get("Value", "") for p in part.get("Parts", []))
        else:
            return None
    return text


def program_path(name):
    """Where a command's program is: a path as it stands, a bare name on the
    PATH (a relative path is the project's own)."""
    if name and name.startswith("/"):
        return name
    return shutil.which(name) if name and "/" not in name else None


def ninja_paths(build, shfmt):
    """Headers the objects include, and the programs, files and libraries the
    build commands name."""
    paths = {}
    for line in run(["ninja", "-C", build, "-t", "deps"], check=True).stdout.splitlines():
        if line.startswith("    /"):
            paths.setdefault(line.strip(), "a header the build includes")
    commands = run(["ninja", "-C", build, "-t", "commands"], check=True).stdout
    for words in shell_commands(shfmt, commands, "the build's commands"):
        program = program_path(words[0])
        if program:
            paths.setdefault(program, "a program the build runs")
        for word in filter(None, words[1:]):
            word = re.sub(r"^(-I|-L|-isystem|-include|-Wl,[^=]*=|/I|/LIBPATH:)", "", word)
            if word.startswith("/"):
                paths.setdefault(word, "a file or folder the build names")
            elif word.startswith("-l") and program:
                library = library_file(program, word[2:])
                if library:
                    paths.setdefault(library, "a library the build links (%s)" % word)
    return paths


def library_file(compiler, name):
    for file in ("lib%s.so" % name, "lib%s.dll.a" % name, "lib%s.a" % name):
        found = run([compiler, "-print-file-name=" + file]).stdout.strip()
        if found.startswith("/") and os.path.exists(found):
            return os.path.normpath(found)
    return None


def test_programs(build):
    """The programs the tree's tests start, and the scripts among them."""
    listing = run(["ctest", "--show-only=json-v1"], cwd=build, check=True).stdout
    programs, scripts = {}, set()
    for test in json.loads(listing).get("tests", []):
        command = test.get("command") or []
        for word in command[:1]:
            path = word if word.startswith("/") else shutil.which(word)
            if path:
                programs.setdefault(path, "a program test %s starts" % test["name"])
        scripts.update(word for word in command if word.endswith(".sh"))
    return programs, scripts


def script_programs(script, shfmt):
    """Programs a script starts: its interpreter, and for a shell script the
    program of each of its commands."""
    with open(script, errors="replace") as text:
        code = text.read()
    found, why = {}, "a program %s starts" % os.path.basename(script)
    words = code[2:].split("\n", 1)[0].split() if code.startswith("#!") else []
    if words:
        interpreter = words[1] if os.path.basename(words[0]) == "env" and len(words) > 1 else words[0]
        path = program_path(interpreter)
        if path:
            found[path] = why
        if "sh" not in os.path.basename(interpreter):
            return found
    for command in shell_commands(shfmt, code, script):
        path = program_path(command[0])
        if path:
            found.setdefault(path, why)
    return found


def project_scripts(source):
    files = run(["git", "-C", source, "ls-files"]).stdout.split()
    scripts = []
    for name in files:
        path = os.path.join(source, name)
        try:
            with open(path, errors="replace") as text:
                first = text.readline()
        except OSError:
            continue
        if first.startswith("#!"):
            scripts.append(path)
    return scripts, files


def source_paths(source, files):
    """System paths the project's own files name: fonts, GoogleTest's sources..."""
    found = {}
    for name in files:
        path = os.path.join(source, name)
        if name.endswith((".png", ".gif", ".bmp")) or name.startswith("tests/fuzz/"):
            continue
        with open(path, errors="replace") as text:
            for literal in SYSTEM_PATH.findall(text.read()):
                if os.path.exists(literal):
                    found.setdefault(literal, "named in " + name)
    return found


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    source, build, job, shfmt = (os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2]),
                                 sys.argv[3], sys.argv[4])
    used = {}
    used.update(cache_paths(build))
    used.update(ninja_paths(build, shfmt))
    programs, test_scripts = test_programs(build)
    used.update(programs)
    scripts, files = project_scripts(source)
    for script in sorted(set(scripts) | test_scripts):
        used.update(script_programs(script, shfmt))
    used.update(source_paths(source, files))
    used = {path: why for path, why in used.items()
            if os.path.exists(path) and not path.startswith((source + "/", build + "/"))
            and path not in (source, build)}

    named = setup_packages(source)
    packages, provides = installed_packages()
    accepted = acceptable_packages(named, packages, provides)
    owned = owners(used)
    problems, missing = [], {}
    for path in sorted(used):
        packages_of = owned.get(path)
        if not packages_of:
            problems.append("%s (%s) comes from no Debian package: use Debian's own, which "
                            "scripts/setup installs" % (path, used[path]))
        elif not packages_of & accepted:
            missing.setdefault(sorted(packages_of)[0], []).append(path)
    for package, paths in sorted(missing.items()):
        others = " and %d more files of it" % (len(paths) - 1) if len(paths) > 1 else ""
        problems.append("%s (%s)%s come from Debian's %s, which scripts/setup does not install."
                        "\n    Add it to scripts/packages.txt:  %s: ... %s"
                        % (paths[0], used[paths[0]], others, package, job, package))
    for problem in problems:
        print("Setup: " + problem)
    print("Setup: %d files and programs from the system checked for %s, %d packages or files "
          "not installed by scripts/setup" % (len(used), os.path.relpath(build, source), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
