#!/usr/bin/env bash
# Runs a command and prints its exit status after its output, so that a test
# can expect both.
"$@" 2>&1
echo "status $?"
