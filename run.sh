#!/usr/bin/env bash
# Installs what is missing, builds the program and the demo tools (not the tests), and starts Pathwren under Wine from a demo program directory
# (build/demo: the program plus a demo configuration): on the current display when there is
# one, otherwise on a virtual display, with a screenshot saved to build/screenshot.png.
# --about opens the about box from the first item's context menu (screenshot: build/about.png).
# --launch-bar starts a demo in "Launch Bar" mode, the bar docked at the top centre (screenshot,
# with the bar shown and its first button under the cursor: build/launchbar.png).
# --desktop opens the demo's desktop mirror at start (screenshot: build/desktop.png).
# --scale P runs Wine at P % of the usual 96 DPI (as 150 for 144 DPI) and puts the scale in the
# picture's name (build/launchbar-150.png); the prefix goes back to its own DPI afterwards.
# Every run plays a demo desktop: build/demo/Demo Desktop is the prefix's desktop folder while
# Pathwren runs, and a stand-in of Explorer's desktop shows its folders, which the "Desktop"
# item mirrors.
# --options opens the options dialog from the first item's context menu; on a virtual display a
# picture of each of its pages is saved into docs/ (docs/options-*.png).
# --locale L (as de_DE.UTF-8) runs Wine as a Windows of that display language: the demo, which
# chose no language, starts in it, and the pictures of --options get the language as a suffix
# (docs/options-*-de.png).
# --dark runs it all in Windows' dark app mode (put back afterwards): --options then saves its
# Application page as docs/options-dark.png, the menu's picture goes to build/screenshot-dark.png.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"

ABOUT=0
LAUNCH_BAR=0
DESKTOP=0
OPTIONS=0
PROGRAM_ARGS=()
PICTURE_SUFFIX=""
SCALE=""
DARK=0
DARK_SUFFIX=""
expect_locale=0
expect_scale=0
for argument in "$@"; do
    if [ "$expect_scale" = 1 ]; then
        SCALE="$argument"
        expect_scale=0
        continue
    fi
    if [ "$expect_locale" = 1 ]; then
        # Wine takes the user interface language from the Unix locale each process starts under;
        # compiled into the build tree, it needs no change to the system's locales.
        mkdir -p "$BUILD_DIR/locales"
        [ -d "$BUILD_DIR/locales/$argument" ] || localedef -i "${argument%%.*}" -f UTF-8 "$BUILD_DIR/locales/$argument"
        export LOCPATH="$BUILD_DIR/locales" LC_ALL="$argument"
        PICTURE_SUFFIX="-${argument%%_*}"
        expect_locale=0
        continue
    fi
    case "$argument" in
        --locale) expect_locale=1 ;;
        --scale) expect_scale=1 ;;
        --about) ABOUT=1 ;;
        --launch-bar) LAUNCH_BAR=1 ;;
        --desktop) DESKTOP=1 ;;
        --options) OPTIONS=1 ;;
        --dark) DARK=1 ;;
        *) PROGRAM_ARGS+=("$argument") ;;
    esac
done
DEMO_ARGS=()
[ "$LAUNCH_BAR" = 1 ] && DEMO_ARGS=(--launch-bar)
[ "$DESKTOP" = 1 ] && DEMO_ARGS=(--desktop)

PERSONALIZE='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
SAVED_APP_MODE=""
SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
SAVED_DESKTOP=""
STAND_IN_PID=""
# The demo desktop's folders where the stand-in shows them on a 1280 x 1024 screen.
DEMO_DESKTOP_ICONS=(Photos 60 360 Projects 60 500 Recipes 60 640 Music 1160 60 Letters 640 520 Travel 1160 860)

# Points the prefix's desktop folder at the demo desktop (the prefix's own links into the Linux
# home, which the demo must not touch) and starts the stand-in of Explorer's desktop; both undone
# by stop_demo_desktop. The arguments run the stand-in (a virtual desktop wants it inside).
start_demo_desktop() {
    SAVED_DESKTOP=$(wine reg query "$SHELL_FOLDERS" /v Desktop 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Desktop *REG_EXPAND_SZ *//p')
    wine reg add "$SHELL_FOLDERS" /v Desktop /t REG_EXPAND_SZ /d "$(winepath -w "$BUILD_DIR/demo/Demo Desktop")" /f \
        >/dev/null 2>&1
    "$@" "$BUILD_DIR/DesktopStandIn.exe" progman "${DEMO_DESKTOP_ICONS[@]}" >/dev/null 2>&1 &
    STAND_IN_PID=$!
}

DESKTOP_KEY='HKCU\Control Panel\Desktop'
SAVED_LOG_PIXELS=""
# Wine reads the DPI from the prefix as each process starts, so it is set before the demo starts
# and the value the prefix had is put back by restore_scale.
apply_scale() {
    [ -n "$SCALE" ] || return 0
    SAVED_LOG_PIXELS=$(wine reg query "$DESKTOP_KEY" /v LogPixels 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *LogPixels *REG_DWORD *//p') || true
    wine reg add "$DESKTOP_KEY" /v LogPixels /t REG_DWORD /d $((96 * SCALE / 100)) /f >/dev/null 2>&1
}

restore_scale() {
    [ -n "$SCALE" ] || return 0
    if [ -n "$SAVED_LOG_PIXELS" ]; then
        wine reg add "$DESKTOP_KEY" /v LogPixels /t REG_DWORD /d "$SAVED_LOG_PIXELS" /f >/dev/null 2>&1 || true
    else
        wine reg delete "$DESKTOP_KEY" /v LogPixels /f >/dev/null 2>&1 || true
    fi
}

# The app mode the program reads at start; the prefix's own value comes back at the end.
start_dark_mode() {
    [ "$DARK" = 1 ] || return 0
    # A prefix that never had the value makes the query fail.
    SAVED_APP_MODE=$(wine reg query "$PERSONALIZE" /v AppsUseLightTheme 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *AppsUseLightTheme *REG_DWORD *//p' || true)
    wine reg add "$PERSONALIZE" /v AppsUseLightTheme /t REG_DWORD /d 0 /f >/dev/null 2>&1
    DARK_SUFFIX="-dark"
    PICTURE_SUFFIX="$PICTURE_SUFFIX$DARK_SUFFIX"
}

stop_dark_mode() {
    [ -n "$DARK_SUFFIX" ] || return 0
    DARK_SUFFIX=""
    if [ -n "$SAVED_APP_MODE" ]; then
        wine reg add "$PERSONALIZE" /v AppsUseLightTheme /t REG_DWORD /d "$SAVED_APP_MODE" /f >/dev/null 2>&1 || true
    else
        wine reg delete "$PERSONALIZE" /v AppsUseLightTheme /f >/dev/null 2>&1 || true
    fi
}

stop_demo_desktop() {
    stop_dark_mode
    if [ -n "$SAVED_DESKTOP" ]; then
        wine reg add "$SHELL_FOLDERS" /v Desktop /t REG_EXPAND_SZ /d "$SAVED_DESKTOP" /f >/dev/null 2>&1 || true
    fi
    # The stand-in may have ended with its desktop already.
    if [ -n "$STAND_IN_PID" ]; then
        kill "$STAND_IN_PID" >/dev/null 2>&1 || true
    fi
    SAVED_DESKTOP=""
    STAND_IN_PID=""
}

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
    configure_and_build Pathwren MakeDemo OpenDemoMenu DesktopStandIn
    make_demo_directory
    trap 'stop_demo_desktop; restore_scale' EXIT
    apply_scale
    start_dark_mode
    start_demo_desktop wine
    echo "Starting Pathwren on $DISPLAY"
    wine "$BUILD_DIR/demo/Pathwren.exe" "${PROGRAM_ARGS[@]}" &
    program=$!
    [ "$ABOUT" = 1 ] && { wine "$BUILD_DIR/OpenDemoMenu.exe" --about >/dev/null 2>&1 || true; }
    [ "$OPTIONS" = 1 ] && { wine "$BUILD_DIR/OpenDemoMenu.exe" --options >/dev/null 2>&1 || true; }
    wait "$program" || true
    exit 0
fi

trap 'stop_demo_desktop; restore_scale; stop_wine_and_display' EXIT
start_virtual_display
prepare_wine_prefix
configure_and_build Pathwren MakeDemo OpenDemoMenu DesktopStandIn
make_demo_directory
apply_scale
start_dark_mode
start_demo_desktop wine explorer /desktop=Pathwren,1280x1024
echo "No display found: starting Pathwren on the virtual display $DISPLAY"
# A desktop window gives the tray icons a taskbar to live in, as on Windows.
wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/demo/Pathwren.exe" "${PROGRAM_ARGS[@]}" &
sleep 10
# Nobody can click on a virtual display: open the first item's folder menu (or the about box)
# for the picture.
SCREENSHOT="$BUILD_DIR/screenshot$DARK_SUFFIX.png"
if [ "$ABOUT" = 1 ]; then
    SCREENSHOT="$BUILD_DIR/about.png"
    wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" --about >/dev/null 2>&1 || true
elif [ "$DESKTOP" = 1 ]; then
    SCREENSHOT="$BUILD_DIR/desktop.png"
elif [ "$OPTIONS" = 1 ]; then
    wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" --options >/dev/null 2>&1 || true
    sleep 3
    page=0
    pages=(application launch-bar item browsing-options file-filters customization)
    # The dark pictures show one page: the rest looks the same, only darker.
    [ "$DARK" = 1 ] && pages=(application)
    for name in "${pages[@]}"; do
        geometry=$(wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" --options-page "$page" \
            2>/dev/null | tr -d '\r')
        sleep 1
        picture="options-$name$PICTURE_SUFFIX.png"
        [ "$DARK" = 1 ] && picture="options$PICTURE_SUFFIX.png"
        import -window root -crop "$geometry" +repage "$ROOT_DIR/docs/$picture"
        echo "Screenshot saved to docs/$picture"
        page=$((page + 1))
    done
    exit 0
elif [ "$LAUNCH_BAR" = 1 ]; then
    SCREENSHOT="$BUILD_DIR/launchbar.png"
    CROP=$(wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" --launch-bar 2>/dev/null |
        tr -d '\r') || true
else
    wine explorer /desktop=Pathwren,1280x1024 "$BUILD_DIR/OpenDemoMenu.exe" >/dev/null 2>&1 || true
fi
[ -n "$SCALE" ] && SCREENSHOT="${SCREENSHOT%.png}-$SCALE.png"
sleep 3
if [ -n "${CROP:-}" ]; then
    import -window root -crop "$CROP" +repage "$SCREENSHOT"
else
    import -window root "$SCREENSHOT"
fi
echo "Screenshot saved to $SCREENSHOT"
