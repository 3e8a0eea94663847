#!/usr/bin/python3
"""README's preset table says what each preset is: every configure preset of
CMakePresets.json has its row, with the compiler the preset resolves to; and
the row of the preset this tree was configured by says what the tree builds
and tests, each fact read from the tree itself (its cache, its programs, its
ctest list) and its test preset. A wrong row fails with the row and the fact.

Usage: check_preset_row.py SOURCE_DIR BUILD_DIR
"""
import json
import os
import re
import subprocess
import sys

ROW = re.compile(r"^\| `([\w-]+)` \| ([^|]+) \| ([^|]+) \| ([^|]+) \|$")


def readme_rows(source):
    rows = {}
    with open(os.path.join(source, "README.md")) as readme:
        for number, line in enumerate(readme, 1):
            found = ROW.match(line.rstrip("\n"))
            if found and found.group(1) != "folder":
                name, compiler, builds, tests = (part.strip() for part in found.groups())
                rows[name] = {"line": number, "compiler": compiler, "builds": builds,
                              "tests": tests}
    return rows


def resolved(presets, name, key, field):
    """A preset's setting through its inherits, the nearest first."""
    for preset in presets:
        if preset["name"] != name:
            continue
        if field in preset.get(key, {}):
            return preset[key][field]
        inherits = preset.get("inherits", [])
        for parent in [inherits] if isinstance(inherits, str) else inherits:
            value = resolved(presets, parent, key, field)
            if value is not None:
                return value
    return None


def toolchain(presets, name):
    for preset in presets:
        if preset["name"] == name:
            if "toolchainFile" in preset:
                return preset["toolchainFile"]
            inherits = preset.get("inherits", [])
            for parent in [inherits] if isinstance(inherits, str) else inherits:
                found = toolchain(presets, parent)
                if found:
                    return found
    return None


def compiler_name(command):
    """How the table names a compiler command."""
    base = os.path.basename(command or "")
    if "mingw" in base:
        return "mingw-w64 g++"
    if base.startswith("clang-cl"):
        return "clang-cl"
    if base == "cl":
        return "cl.exe"
    return re.sub(r"-\d+$", "", base)


def preset_compiler(presets, name):
    chain = toolchain(presets, name) or ""
    if "mingw" in chain:
        return "mingw-w64 g++"
    if "clang-cl" in chain:
        return "clang-cl"
    return compiler_name(resolved(presets, name, "cacheVariables", "CMAKE_CXX_COMPILER"))


def cache_value(build, key):
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        for line in cache:
            if line.startswith(key + ":"):
                return line.split("=", 1)[1].strip()
    return ""


def soak_frames(source, test_presets, name):
    frames = resolved(test_presets, name, "environment", "DRAPELLE_SOAK_FRAMES")
    if frames is None:
        with open(os.path.join(source, "tests", "soak_test.cpp")) as soak:
            frames = re.search(r": (\d+);\n", soak.read()).group(1)
    return int(frames)


def claims(rows, name):
    """What a row's tests column claims; "the same as `X`" and "`X`'s" take X's."""
    text = rows[name]["tests"]
    said = {}
    base = re.match(r"(?:the same as `([\w-]+)`|`([\w-]+)`'s)", text)
    if base:
        said = dict(claims(rows, base.group(1) or base.group(2)))
        if "but the SDL preview" in text:
            said["preview"] = False
    for fact, words in (("preview", "SDL preview"), ("threads", "two-thread key tests"),
                        ("interleavings", "every key interleaving"), ("corpus", "the corpus"),
                        ("fuzz run", "fuzz run"), ("setup", "the set-up")):
        if words in text and "but the " + words not in text:
            said[fact] = True
    soak = re.search(r"a soak of (a million|[\d,]+) frames", text)
    if soak:
        said["soak"] = 1000000 if soak.group(1) == "a million" else int(soak.group(1).replace(",", ""))
    return said


def main():
    source, build = sys.argv[1:3]
    with open(os.path.join(source, "CMakePresets.json")) as presets_file:
        presets = json.load(presets_file)
    configure = presets["configurePresets"]
    rows = readme_rows(source)
    failures = []

    def fail(name, fact):
        line = rows[name]["line"] if name in rows else "?"
        failures.append("README.md:%s: the row of `%s`: %s" % (line, name, fact))

    names = [p["name"] for p in configure if not p.get("hidden")]
    for name in names:
        if name not in rows:
            failures.append("README.md: no row in the preset table for `%s`" % name)
        elif rows[name]["compiler"] != preset_compiler(configure, name):
            fail(name, "says compiler %s; the preset builds with %s"
                 % (rows[name]["compiler"], preset_compiler(configure, name)))
    for name in rows:
        if name not in names:
            fail(name, "no such preset in CMakePresets.json")

    preset = cache_value(build, "DRAPELLE_PRESET")
    if preset not in rows:
        failures.append("this tree's preset, '%s', has no row" % preset)
    else:
        compiler = compiler_name(cache_value(build, "CMAKE_CXX_COMPILER"))
        if rows[preset]["compiler"] != compiler:
            fail(preset, "says compiler %s; this tree was built with %s"
                 % (rows[preset]["compiler"], compiler))
        listed = subprocess.run(["ctest", "--test-dir", build, "-N"], capture_output=True,
                                text=True, check=True).stdout
        tests = re.findall(r"Test +#\d+: (\S+)", listed)
        has = {
            "preview": any(t.startswith("Preview.") for t in tests),
            "threads": any(t.startswith("KeyCollisions.") for t in tests),
            "interleavings": any(t.startswith("KeyInterleavings.") for t in tests),
            "corpus": "Fuzz.Replay" in tests,
            "fuzz run": "Fuzz.Run" in tests,
            "setup": "Setup.Packages" in tests,
        }
        if any(t.startswith("Soak.") for t in tests):
            has["soak"] = soak_frames(source, presets["testPresets"], preset)
        said = claims(rows, preset)
        for fact, value in has.items():
            stated = said.get(fact, False)
            if stated != value:
                fail(preset, "%s %s; the tree %s" % (
                    "claims" if stated else "does not claim", fact,
                    ("has it: %s" % value) if value not in (True, False) else
                    ("has it" if value else "has none")))
        for program in sorted(os.listdir(os.path.join(build, "bin"))
                              if os.path.isdir(os.path.join(build, "bin")) else []):
            if program.endswith((".exe", ".dll")) and "`%s`" % program not in rows[preset]["builds"]:
                fail(preset, "does not name %s, which the tree builds" % program)
        sanitizer = {"address,undefined": "AddressSanitizer and UBSan",
                     "thread": "ThreadSanitizer"}.get(cache_value(build, "DRAPELLE_SANITIZE"))
        for words in ("AddressSanitizer and UBSan", "ThreadSanitizer"):
            if (words in rows[preset]["builds"]) != (words == sanitizer):
                fail(preset, "%s %s" % ("says" if words in rows[preset]["builds"] else
                                        "does not say", words))
    for failure in failures:
        print(failure)
    if not failures:
        print("the preset table has a row for each of %d presets, and `%s`'s says what this "
              "tree builds and tests" % (len(names), preset))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
