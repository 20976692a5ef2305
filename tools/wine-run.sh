#!/bin/sh
# Runs a Windows program under Wine for CTest. Wine may start background processes (its
# services, the desktop window's explorer.exe) that live on after the program; they inherit
# the standard output, and CTest would wait for its pipe to close until the test times out.
# So the program writes into a file, which is printed once the program has ended.

# A case that needs a desktop gets one from CTest (CTEST_RESOURCE_GROUP_0_DESKTOPS=id:N,slots:1),
# a case that needs two monitors says so (PATHWREN_TWO_MONITORS). Desktop 1 is the prefix and
# display of the run itself; any other is the prefix copy "$WINEPREFIX-<name>" on the display
# written beside it. A desktop that was not prepared (a ctest run without test.sh) falls back to
# the first, and the lock keeps its cases one at a time.
desktop=$(printf '%s' "${CTEST_RESOURCE_GROUP_0_DESKTOPS:-}" | sed -n 's/^id:\([0-9]*\),.*/\1/p')
[ -n "${PATHWREN_TWO_MONITORS:-}" ] && desktop=monitors
if [ -n "$desktop" ] && [ "$desktop" != 1 ]; then
    display=$(cat "$WINEPREFIX-$desktop.display" 2>/dev/null)
    if [ -n "$display" ] && [ -e "/tmp/.X11-unix/X${display#:}" ]; then
        export WINEPREFIX="$WINEPREFIX-$desktop" DISPLAY="$display"
    else
        # Said at once: the wait for desktop 1 counts against the case's time-out.
        echo "wine-run: desktop $desktop is not prepared (test.sh prepares it); this case waits for desktop 1"
    fi
fi
lock=""
[ -n "$desktop" ] && lock="flock -o $WINEPREFIX.desktop-lock"

output=$(mktemp)
run() {
    $lock wine "$@" >"$output" 2>&1
    status=$?
}
run "$@"
# A test program prints its first line before it tests anything, so a run that ended without a
# line never ran a test: a Wine loader killed by a signal (seen in CI, after 10 ms) or one that
# exited at once with status 1 (seen in a full run, after 70 ms). Say so and start it once more.
if [ "$status" -ne 0 ] && [ ! -s "$output" ]; then
    echo "wine-run: wine ended with status $status before the program printed a line; running it again"
    run "$@"
fi
cat "$output"
[ "$status" -ne 0 ] && [ ! -s "$output" ] && echo "wine-run: wine exited with status $status and printed nothing"
rm -f "$output"
exit $status
