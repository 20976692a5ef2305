#!/usr/bin/env bash
# Installs what is missing, builds the program and the demo tools (not the tests), and starts Pathwren under Wine from a demo program directory
# (build/demo: the program plus a demo configuration): on the current display when there is
# one, otherwise on a virtual display, with a screenshot saved to build/screenshot.png.
# --about opens the about box from the first item's context menu (screenshot: build/about.png).
# --launch-bar starts a demo in "Launch Bar" mode, the bar docked at the top centre (screenshot,
# with the bar shown and its first button under the cursor: build/launchbar.png).
# --options opens the options dialog from the first item's context menu; on a virtual display a
# picture of each of its pages is saved into docs/ (docs/options-*.png).
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"

ABOUT=0
LAUNCH_BAR=0
OPTIONS=0
PROGRAM_ARGS=()
for argument in "$@"; do
    case "$argument" in
        --about) ABOUT=1 ;;
        --launch-bar) LAUNCH_BAR=1 ;;
        --options) OPTIONS=1 ;;
        *) PROGRAM_ARGS+=("$argument") ;;
    esac
done
DEMO_ARGS=()
[ "$LAUNCH_BAR" = 1 ] && DEMO_ARGS=(--launch-bar)

make_demo_directory() {
    local demo="$BUILD_DIR/demo"
    rm -rf "$demo"
    cp -r "$BUILD_DIR/dist" "$demo"
    wine "$BUILD_DIR/MakeDemo.exe" "$(winepath -w "$demo")" "${DEMO_ARGS[@]}" >/dev/null 2>&1
    echo "Demo program directory: $demo"
}

install_missing
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    prepare_wine_prefix
    configure_and_build Pathwren MakeDemo OpenDemoMenu
    make_demo_directory
    echo "Starting Pathwren on $DISPLAY"
    if [ "$ABOUT" = 1 ] || [ "$OPTIONS" = 1 ]; then
        wine "$BUILD_DIR/demo/Pathwren.exe" "${PROGRAM_ARGS[@]}" &
        if [ "$ABOUT" = 1 ]; then OPEN=--about; else OPEN=--options; fi
        wine "$BUILD_DIR/OpenDemoMenu.exe" "$OPEN" >/dev/null 2>&1 || true
        wait
        exit 0
    fi
    exec wine "$BUILD_DIR/demo/Pathwren.exe" "${PROGRAM_ARGS[@]}"
fi

trap stop_wine_and_display EXIT
start_virtual_display
prepare_wine_prefix
configure_and_build Pathwren MakeDemo OpenDemoMenu
make_demo_directory
echo "No display found: starting Pathwren on the virtual display $DISPLAY"
# A desktop window gives the tray icons a taskbar to live in, as on Windows.
wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/demo/Pathwren.exe" "${PROGRAM_ARGS[@]}" &
sleep 10
# Nobody can click on a virtual display: open the first item's folder menu (or the about box)
# for the picture.
SCREENSHOT="$BUILD_DIR/screenshot.png"
if [ "$ABOUT" = 1 ]; then
    SCREENSHOT="$BUILD_DIR/about.png"
    wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" --about >/dev/null 2>&1 || true
elif [ "$OPTIONS" = 1 ]; then
    wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" --options >/dev/null 2>&1 || true
    sleep 3
    page=0
    for name in application launch-bar item browsing-options file-filters customization; do
        geometry=$(wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" --options-page "$page" \
            2>/dev/null | tr -d '\r')
        sleep 1
        import -window root -crop "$geometry" +repage "$ROOT_DIR/docs/options-$name.png"
        echo "Screenshot saved to docs/options-$name.png"
        page=$((page + 1))
    done
    exit 0
elif [ "$LAUNCH_BAR" = 1 ]; then
    SCREENSHOT="$BUILD_DIR/launchbar.png"
    wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" --launch-bar >/dev/null 2>&1 || true
else
    wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" >/dev/null 2>&1 || true
fi
sleep 3
import -window root "$SCREENSHOT"
echo "Screenshot saved to $SCREENSHOT"
