#!/usr/bin/python3
"""Plays one scenario (a file, or --random SEED) with the Linux build's
drapelle-sim and with the players' DLL in the Windows runner under Wine, each
recording every frame's native calls, and holds the two records to each
other, call for call and bit for bit. On a difference, names the first frame,
call and argument that differ, with both calls.

Usage: same_calls.py WORK LINUX_SIM WINE RUNNER DLL ARG...
"""
import os
import subprocess
import sys


def frames(path):
    """[(header, [call, ...]), ...] of a record."""
    found = []
    with open(path, "rb") as record:
        for line in record.read().decode("ascii", "replace").split("\n"):
            if line.startswith("frame "):
                found.append((line, []))
            elif line.strip():
                if not found:
                    sys.exit("%s: a call before any frame: %s" % (path, line))
                found[-1][1].append(line.strip())
    return found


def first_difference(linux, windows):
    """A sentence naming the first difference, or None."""
    for index, ((header, calls), (other_header, other_calls)) in enumerate(zip(linux, windows)):
        if header != other_header:
            return "frame %d: Linux has '%s', Windows '%s'" % (index + 1, header, other_header)
        for number, (call, other) in enumerate(zip(calls, other_calls), 1):
            if call == other:
                continue
            words, other_words = call.split(" "), other.split(" ")
            what = "the native's hash"
            for position, (word, other_word) in enumerate(zip(words, other_words)):
                if word != other_word:
                    what = "argument %d" % position if position else what
                    break
            else:
                what = "the number of arguments"
            return ("%s, call %d: %s differs\n  Linux:   %s\n  Windows: %s"
                    % (header, number, what, call, other))
        if len(calls) != len(other_calls):
            shorter, name = (calls, "Linux") if len(calls) < len(other_calls) else (other_calls, "Windows")
            extra = (other_calls if shorter is calls else calls)[len(shorter)]
            return ("%s: %s makes %d calls, the other %d; the first call past them: %s"
                    % (header, name, len(shorter), max(len(calls), len(other_calls)), extra))
    if len(linux) != len(windows):
        return "Linux played %d frames, Windows %d" % (len(linux), len(windows))
    return None


def main():
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    work, sim, wine, runner, dll = sys.argv[1:6]
    arguments = sys.argv[6:]
    os.makedirs(work, exist_ok=True)
    records = {name: os.path.join(work, name + ".calls") for name in ("linux", "windows")}
    runs = {"linux": [sim] + arguments, "windows": [wine, runner, dll] + arguments}
    for name, command in runs.items():
        if os.path.exists(records[name]):
            os.remove(records[name])
        done = subprocess.run(command + ["--record", records[name]], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT)
        if done.returncode != 0:
            sys.stdout.write(done.stdout.decode("utf-8", "replace"))
            sys.exit("same_calls: the %s run failed (status %d): %s"
                     % (name, done.returncode, " ".join(command)))
    linux, windows = frames(records["linux"]), frames(records["windows"])
    if not linux:
        sys.exit("same_calls: the Linux run recorded no frame, so there is nothing to compare")
    difference = first_difference(linux, windows)
    if difference:
        sys.exit("same_calls: the players' DLL and the Linux build part, %s" % difference)
    calls = sum(len(calls) for _, calls in linux)
    print("same_calls: %d frames, %d native calls, the same bit for bit" % (len(linux), calls))


if __name__ == "__main__":
    main()
