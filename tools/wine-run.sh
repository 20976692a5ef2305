#!/bin/sh
# Runs a Windows program under Wine for CTest. Wine may start background processes (its
# services, the desktop window's explorer.exe) that live on after the program; they inherit
# the standard output, and CTest would wait for its pipe to close until the test times out.
# So the program writes into a file, which is printed once the program has ended.
output=$(mktemp)
wine "$@" >"$output" 2>&1
status=$?
cat "$output"
rm -f "$output"
exit $status
