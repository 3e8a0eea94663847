#!/usr/bin/python3
"""Every test of a build tree has a time limit of its own, so that a hang is a
failure ctest names instead of a run that never ends. Names each test without
one.

Usage: check_time_limits.py BUILD_DIR
"""
import json
import subprocess
import sys


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    listed = subprocess.run(["ctest", "--test-dir", sys.argv[1], "--show-only=json-v1"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if listed.returncode != 0:
        sys.exit("check_time_limits: ctest could not list the tests:\n" + listed.stderr)
    tests = json.loads(listed.stdout)["tests"]
    unlimited = [test["name"] for test in tests
                 if not any(p["name"] == "TIMEOUT" and float(p["value"]) > 0
                            for p in test.get("properties", []))]
    for name in unlimited:
        print("check_time_limits: %s has no time limit (TIMEOUT); a directory that adds tests "
              "calls drapelle_limit_test_times() first" % name)
    print("%d tests, %d without a time limit" % (len(tests), len(unlimited)))
    return 1 if unlimited else 0


if __name__ == "__main__":
    sys.exit(main())
