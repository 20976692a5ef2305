#!/bin/sh
# Runs a Windows program under Wine for CTest. Wine may start background processes (its
# services, the desktop window's explorer.exe) that live on after the program; they inherit
# the standard output, and CTest would wait for its pipe to close until the test times out.
# So the program writes into a file, which is printed once the program has ended.
output=$(mktemp)
run() {
    wine "$@" >"$output" 2>&1
    status=$?
}
run "$@"
# A Wine loader killed by a signal before the program printed a line (seen once in CI: exit
# after 10 ms with no output) never ran the test: say so and start it once more.
if [ "$status" -gt 128 ] && [ ! -s "$output" ]; then
    echo "wine-run: wine died by signal $((status - 128)) before the program started; running it again"
    run "$@"
fi
cat "$output"
[ "$status" -ne 0 ] && [ ! -s "$output" ] && echo "wine-run: wine exited with status $status and printed nothing"
rm -f "$output"
exit $status
