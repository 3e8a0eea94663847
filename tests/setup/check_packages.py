#!/usr/bin/python3
"""Checks that a build tree, its tests and the project's scripts take from the
system only what scripts/setup installs for the job that runs them: every
file the build used (compilers and tools CMake found, the headers the objects
include, the libraries they link), every program the build, the tests and the
shell scripts start and every module a Python script imports is mapped to its
Debian package, which must be one scripts/setup names for that job, one those
depend on, or one every Debian system has (Essential, or priority required).
A program or module this machine does not have fails too.

The tree's job holds the build, the programs its tests start and the
project's scripts those start. A script is also held to the jobs it runs
scripts/setup for and to those of every script that starts it (one of them
must install each program); one that nothing here starts and that names no
job, to the job test, which scripts/test installs for every tree. System
paths the project's files name (fonts, GoogleTest's sources) may come from
any job.

Usage: check_packages.py SOURCE_DIR BUILD_DIR JOB SHFMT
(JOB: this tree's line of scripts/packages.txt; SHFMT: the shell parser that
reads the commands of scripts and of the build)
"""
import ast
import functools
import importlib.util
import json
import os
import re
import shutil
import subprocess
import sys

# Cache entries that name where things would be installed, not what is used.
IGNORED_CACHE_KEYS = re.compile(r"INSTALL_PREFIX$")
# Commands that start the program named by the words after their options:
# {command: (its one-letter options that take the next word, words between
# the options and the program)}.
WRAPPERS = {"command": ("", 0), "exec": ("a", 0), "env": ("uCS", 0), "nice": ("n", 0),
            "nohup": ("", 0), "setsid": ("", 0), "stdbuf": ("ioe", 0),
            "sudo": ("ugCDprtTUR", 0), "timeout": ("ks", 1), "xargs": ("adEILnPs", 0),
            "xvfb-run": ("efnpsw", 0)}
# find's actions that start the program named by the next word.
FIND_ACTIONS = {"-exec", "-execdir", "-ok", "-okdir"}
# The job of a script that nothing here starts and that names no job: the one
# scripts/test installs for every tree.
ALL_TREES_JOB = "test"
SYSTEM_PATH = re.compile(r"(?<![\w.$/-])/(?:usr|etc|opt|bin|lib|sbin)/[\w./+-]*[\w+]")
# Stands for an expansion ("$x", $(...)) in a word read from a shell text.
EXPANSION = "\0"


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


@functools.lru_cache(maxsize=None)
def setup_packages(source, job):
    listed = run([os.path.join(source, "scripts", "setup"), "--list", job], check=True)
    return frozenset(listed.stdout.split())


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


@functools.lru_cache(maxsize=None)
def shell_calls(shfmt, text, what):
    """The calls of a shell text, read by a shell parser (shfmt), and the
    functions it declares: the words of here-documents, quoted text and
    comments are none."""
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
    return calls, functions


def literal(word):
    """A word's text, with EXPANSION for each expansion in it."""
    text = ""
    for part in word.get("Parts", []):
        if part["Type"] == "Lit":
            text += re.sub(r"\\(.)", r"\1", part.get("Value", ""))
        elif part["Type"] == "SglQuoted":
            text += part.get("Value", "")
        elif part["Type"] == "DblQuoted":
            text += literal(part)
        else:
            text += EXPANSION
    return text


def started_commands(words, functions=(), builtins=()):
    """The commands a call starts: its own, and through a wrapper or find's
    -exec the one it names; functions and builtins are none."""
    commands = []
    while words and words[0] not in functions:
        name, words = words[0], words[1:]
        if name not in builtins:
            commands.append([name] + words)
        if name == "find":
            for index, word in enumerate(words[:-1]):
                if word in FIND_ACTIONS:
                    commands += started_commands(words[index + 1:], functions, builtins)
        if name not in WRAPPERS:
            break
        takes, positional = WRAPPERS[name]
        while words and (words[0].startswith("-") or "=" in words[0]):
            option, words = words[0], words[1:]
            if option == "--":
                break
            if name == "command" and option in ("-v", "-V"):  # asks, runs nothing
                return commands
            if len(option) == 2 and option[1] in takes:
                words = words[1:]
        words = words[positional:]
    return commands


class Project:
    """The project's files, the scripts among them, and what each script
    starts, sources and imports."""

    def __init__(self, source, build, shfmt):
        self.source, self.build, self.shfmt = source, build, shfmt
        self.files = run(["git", "-C", source, "ls-files"]).stdout.split()
        self.scripts = [name for name in self.files
                        if first_line(self.path(name)).startswith("#!")]
        self.builtins = set(run(["bash", "-c", "compgen -b -k"]).stdout.split())
        with open(self.path("scripts/packages.txt")) as text:
            self.jobs = set(re.findall(r"^([\w-]+):", text.read(), re.M))

    def path(self, name):
        return os.path.join(self.source, name)

    def own_files(self, word):
        """The project's files a word names: a path in the checkout, one
        relative to it, or what follows an expansion ("$root/scripts/setup")."""
        if EXPANSION in word:
            word = re.sub(r"^(/\.\.?)+(?=/)", "", word.rsplit(EXPANSION, 1)[1])
            if not re.match("/.", word):
                return []
        elif word.startswith(self.source + "/"):
            word = "/" + os.path.relpath(word, self.source)
        elif word.startswith("/") or "/" not in word:
            return []
        else:
            word = "/" + re.sub(r"^(\./)+", "", word)
        return [name for name in self.files if ("/" + name).endswith(word)]

    def uses(self, words, why, found):
        """Adds what a command starts to found (see found_nothing), and the
        jobs it asks scripts/setup for."""
        for word in words:
            found["scripts"].update(name for name in self.own_files(word) if name in self.scripts)
        if "scripts/setup" in self.own_files(words[0]):
            found["jobs"].update(self.jobs.intersection(words[1:]))
        name = words[0]
        if EXPANSION in name or name.startswith((self.source + "/", self.build + "/")):
            return
        if name.startswith("/"):
            found["paths"].setdefault(name, why)
        elif "/" not in name:
            path = shutil.which(name)
            if path:
                found["paths"].setdefault(path, why)
            else:
                found["unknown"].setdefault(name, why)

    def shell_uses(self, text, what, why, found, sourced=()):
        """What a shell text starts, the files it sources read as its own."""
        calls, functions = shell_calls(self.shfmt, text, what)
        for words in calls:
            if words[0] in (".", "source") and len(words) > 1:
                for name in self.own_files(words[1]):
                    if name not in sourced:
                        sourced = sourced + (name,)
                        with open(self.path(name), errors="replace") as file:
                            functions = functions | self.shell_uses(file.read(), name, why, found,
                                                                    sourced)
        for words in calls:
            for command in started_commands(words, functions, self.builtins):
                self.uses(command, why, found)
        return functions

    def script_uses(self, name):
        """What a script starts or imports (see found_nothing)."""
        found = found_nothing()
        with open(self.path(name), errors="replace") as file:
            code = file.read()
        why = "which %s starts" % name
        interpreter = code[2:].split("\n", 1)[0].split()
        if os.path.basename(interpreter[0]) == "env" and len(interpreter) > 1:
            interpreter = interpreter[1:]
        self.uses(interpreter, why, found)
        if "python" in os.path.basename(interpreter[0]):
            self.python_imports(name, code, found)
        elif "sh" in os.path.basename(interpreter[0]):
            self.shell_uses(code, name, why, found)
        return found

    def python_imports(self, name, code, found):
        modules = set()
        for node in ast.walk(ast.parse(code)):
            if isinstance(node, ast.Import):
                modules.update(alias.name.split(".")[0] for alias in node.names)
            elif isinstance(node, ast.ImportFrom) and not node.level:
                modules.add(node.module.split(".")[0])
        folder = os.path.dirname(self.path(name))
        why = "a module %s imports" % name
        for module in sorted(modules):
            if os.path.exists(os.path.join(folder, module + ".py")):
                continue
            spec = importlib.util.find_spec(module)
            if not spec:
                found["unknown"].setdefault("the Python module " + module, why)
            elif spec.origin and spec.origin.startswith("/"):
                found["paths"].setdefault(spec.origin, why)


def found_nothing():
    """What a tree or a script uses: the system's programs and files as
    {path: why}, programs and modules this machine lacks as {name: why}, the
    project's scripts it starts, and the jobs it asks scripts/setup for."""
    return {"paths": {}, "unknown": {}, "scripts": set(), "jobs": set()}


def first_line(path):
    try:
        with open(path, errors="replace") as text:
            return text.readline()
    except OSError:
        return ""


def ninja_paths(project):
    """Headers the objects include, and the programs, files, libraries and
    the project's scripts the build commands name."""
    found = found_nothing()
    paths = found["paths"]
    build = project.build
    for line in run(["ninja", "-C", build, "-t", "deps"], check=True).stdout.splitlines():
        if line.startswith("    /"):
            paths.setdefault(line.strip(), "a header the build includes")
    commands = run(["ninja", "-C", build, "-t", "commands"], check=True).stdout
    calls, _ = shell_calls(project.shfmt, commands, "the build's commands")
    for call in calls:
        for words in started_commands(call, builtins=project.builtins):
            project.uses(words, "a program the build runs", found)
            program = shutil.which(words[0]) if EXPANSION not in words[0] else None
            for word in words[1:]:
                if EXPANSION in word:
                    continue
                word = re.sub(r"^(-I|-L|-isystem|-include|-Wl,[^=]*=|/I|/LIBPATH:)", "", word)
                if word.startswith("/"):
                    paths.setdefault(word, "a file or folder the build names")
                elif word.startswith("-l") and program:
                    library = library_file(program, word[2:])
                    if library:
                        paths.setdefault(library, "a library the build links (%s)" % word)
    return found


def library_file(compiler, name):
    for file in ("lib%s.so" % name, "lib%s.dll.a" % name, "lib%s.a" % name):
        found = run([compiler, "-print-file-name=" + file]).stdout.strip()
        if found.startswith("/") and os.path.exists(found):
            return os.path.normpath(found)
    return None


def test_uses(project, found):
    """What the tree's tests start, added to found."""
    listing = run(["ctest", "--show-only=json-v1"], cwd=project.build, check=True).stdout
    for test in json.loads(listing).get("tests", []):
        for words in started_commands(test.get("command") or []):
            project.uses(words, "a program test %s starts" % test["name"], found)


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


def script_jobs(project, tree_scripts, job):
    """{script: (jobs it is held to, what it uses)}: the jobs it asks for, the
    tree's when the tree starts it, and those of every script that starts it."""
    uses = {name: project.script_uses(name) for name in project.scripts}
    jobs = {name: set(uses[name]["jobs"]) for name in project.scripts}
    for name in tree_scripts:
        jobs[name].add(job)

    def spread():
        changed = True
        while changed:
            changed = False
            for name in project.scripts:
                for started in uses[name]["scripts"]:
                    if not jobs[name] <= jobs[started]:
                        jobs[started] |= jobs[name]
                        changed = True

    spread()
    for name in project.scripts:
        jobs[name] = jobs[name] or {ALL_TREES_JOB}
    spread()
    return {name: (frozenset(jobs[name]), uses[name]) for name in project.scripts}


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    source, build, job, shfmt = (os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2]),
                                 sys.argv[3], sys.argv[4])
    project = Project(source, build, shfmt)
    tree = ninja_paths(project)
    test_uses(project, tree)
    # What CMake found that the build never names, such as the archiver or
    # linker it looks for wherever a machine has one, binds no job of its own.
    found_only = {path: why for path, why in cache_paths(build).items()
                  if path not in tree["paths"]}
    # (what is used, the jobs one of which must install it: none for any job)
    needs = [(tree, frozenset([job])), (dict(found_nothing(), paths=found_only), frozenset())]
    needs += [(uses, jobs) for jobs, uses in script_jobs(project, tree["scripts"], job).values()]
    needs.append((dict(found_nothing(), paths=source_paths(source, project.files)), frozenset()))
    needs = [(found, jobs, {path: why for path, why in found["paths"].items()
                            if os.path.exists(path) and path not in (source, build)
                            and not path.startswith((source + "/", build + "/"))})
             for found, jobs in needs]

    packages, provides = installed_packages()
    owned = owners([path for _, _, paths in needs for path in paths])
    accepted, problems, missing = {}, [], {}
    for found, jobs, paths in needs:
        if jobs not in accepted:
            named = set().union(*(setup_packages(source, name) for name in jobs or project.jobs))
            accepted[jobs] = acceptable_packages(named, packages, provides)
        for name, why in sorted(found["unknown"].items()):
            problems.append("%s (%s) is not on this machine, and scripts/setup does not install "
                            "it for %s.%s" % (name, why, job_names(jobs),
                                              fix(jobs or {job}, "the Debian package that has it",
                                                  "PACKAGE")))
        for path, why in sorted(paths.items()):
            packages_of = owned.get(path)
            if not packages_of:
                problems.append("%s (%s) comes from no Debian package: use Debian's own, which "
                                "scripts/setup installs" % (path, why))
            elif not packages_of & accepted[jobs]:
                missing.setdefault((sorted(packages_of)[0], jobs), {}).setdefault(path, why)
    for (package, jobs), paths in sorted(missing.items()):
        paths = sorted(paths.items())
        others = " and %d more files of it come" % (len(paths) - 1) if len(paths) > 1 else " comes"
        problems.append("%s (%s)%s from Debian's %s, which scripts/setup does not install for "
                        "%s.%s" % (paths[0][0], paths[0][1], others, package, job_names(jobs),
                                   fix(jobs or {job}, "it", package)))
    for problem in problems:
        print("Setup: " + problem)
    checked = {path for _, _, paths in needs for path in paths}
    print("Setup: %d files and programs from the system checked for %s (job %s), %d problems"
          % (len(checked), os.path.relpath(build, source), job, len(problems)))
    return 1 if problems else 0


def job_names(jobs):
    return " or ".join(sorted(jobs)) or "any job"


def fix(jobs, what, package):
    return "\n    Add %s to scripts/packages.txt:  %s: ... %s" % (what, min(jobs), package)


if __name__ == "__main__":
    sys.exit(main())
