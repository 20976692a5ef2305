#!/usr/bin/env bash
# Installs what is missing, builds, and starts Pathwren under Wine: on the current display when
# there is one, otherwise on a virtual display, with a screenshot saved to build/screenshot.png.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"

install_missing
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    prepare_wine_prefix
    configure_and_build
    echo "Starting Pathwren on $DISPLAY"
    exec wine "$BUILD_DIR/dist/Pathwren.exe" "$@"
fi

trap stop_wine_and_display EXIT
start_virtual_display
prepare_wine_prefix
configure_and_build
echo "No display found: starting Pathwren on the virtual display $DISPLAY"
# A desktop window gives the tray icons a taskbar to live in, as on Windows.
wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/dist/Pathwren.exe" "$@" &
sleep 8
import -window root "$BUILD_DIR/screenshot.png"
echo "Screenshot saved to $BUILD_DIR/screenshot.png"
