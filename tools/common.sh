# Shared by run.sh and test.sh: installs what is missing, prepares the isolated Wine prefix
# inside the build tree, a virtual display when needed, and builds.
# shellcheck shell=bash

ROOT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR="$ROOT_DIR/build"
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko downloads: the machines have no internet and the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev googletest
          wine64 wine xvfb xserver-xephyr xauth x11-utils imagemagick procps
          clang libclang-rt-14-dev python3 locales
          # Glyphs for the Chinese and Japanese translations: Wine links its dialog font to these.
          fonts-wqy-microhei fonts-ipafont-gothic
          # The release: the installer, its signature, the portable zip.
          wixl msitools osslsigncode zip unzip openssl binutils)

install_missing() {
    local missing=()
    local package
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

XVFB_PIDS=()
# A display whose lock names a process that is gone: its server was killed outright or the machine
# was restarted, and the lock and socket it left would otherwise use up the display numbers.
display_is_stale() {
    local pid
    pid=$(tr -d ' ' < "/tmp/.X$1-lock" 2>/dev/null) || return 1
    [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null
}

# Starts the X server command on the first free display number from 90 and makes it DISPLAY.
start_x_server() {
    local n
    for n in $(seq 90 190); do
        display_is_stale "$n" && rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        "$@" ":$n" >/dev/null 2>&1 &
        local pid=$!
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null; then
            XVFB_PIDS+=("$pid")
            export DISPLAY=":$n"
            return 0
        fi
    done
    echo "could not start $1" >&2
    return 1
}

start_virtual_display() {
    start_x_server Xvfb -screen 0 1280x1024x24 -nolisten tcp
}

stop_wine_and_display() {
    local prefix
    for prefix in "$WINEPREFIX" "$WINEPREFIX"-*; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
    [ ${#XVFB_PIDS[@]} -gt 0 ] && kill "${XVFB_PIDS[@]}" >/dev/null 2>&1 || true
}

# The prefix has none of Windows' fonts: the dialog font ends at DejaVu Sans, which has no Chinese or
# Japanese characters. Windows links its dialog font to East Asian fonts for those; the same link
# here, to the fonts PACKAGES installs, shows the Chinese and Japanese translations.
link_dialog_font_to_east_asian_fonts() {
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    wine reg query "$key" /v 'DejaVu Sans' >/dev/null 2>&1 && return 0
    wine reg add "$key" /v 'DejaVu Sans' /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic\0wqy-microhei.ttc,WenQuanYi Micro Hei' \
        /f >/dev/null 2>&1 || true
}

# The prefix is created once and reused; wineserver is kept alive for the whole run because
# starting it for every test process would dominate the run time.
prepare_wine_prefix() {
    mkdir -p "$BUILD_DIR"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix in $WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    start_wine_services
    link_dialog_font_to_east_asian_fonts
}

start_wine_services() {
    # Already running (another script on the same prefix) is fine: it is the server we want.
    wineserver -p 2>/dev/null || true
    # Start Wine's background services now. Started by the first test instead, they would
    # inherit CTest's output pipe and CTest would wait for it to close until the test times out.
    wine cmd.exe /c exit >/dev/null 2>&1 || true
}

# Desktops 2 to N for the tests (the build says how many, in test-desktops.json), and the desktop of
# two monitors: a copy of the prepared prefix each, with its own wineserver, on a display of its
# own that tools/wine-run.sh finds in "$WINEPREFIX-<name>.display". Call it once the prefix is
# complete.
prepare_more_test_desktops() {
    local count id first_display=$DISPLAY
    count=$(grep -o '"id"' "$BUILD_DIR/test-desktops.json" | wc -l)
    # The registry reaches the prefix's files when its server ends.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    for id in $(seq 2 "$count"); do
        start_virtual_display
        start_test_desktop "$id"
    done
    start_two_monitor_display
    start_test_desktop monitors
    export DISPLAY=$first_display
    start_wine_services
}

# A copy of the prefix named after the desktop, served on the current display.
start_test_desktop() {
    rm -rf "$WINEPREFIX-$1"
    cp -a "$WINEPREFIX" "$WINEPREFIX-$1"
    echo "$DISPLAY" > "$WINEPREFIX-$1.display"
    WINEPREFIX="$WINEPREFIX-$1" start_wine_services
}

# Wine on Xvfb sees one monitor whatever Xvfb is given, but it reads the heads of Xinerama, which
# a nested Xephyr lays side by side: 1280 x 1024 on the left (the primary), 1024 x 768 on its right.
start_two_monitor_display() {
    start_virtual_display
    start_x_server Xephyr +xinerama -extension RANDR -screen 1280x1024 -screen 1024x768 -no-host-grab
}

# Builds the targets given, or everything when none is.
configure_and_build() {
    cmake -S "$ROOT_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$BUILD_DIR" --parallel "$(nproc)" "${targets[@]}"
}

# On a display without a window manager Wine waits two seconds for every managed window that is
# hidden or destroyed (a message box answered, a menu closed over a tool window). The windows of
# the test programs and the benches are left to Wine alone; the prefix keeps managed windows for
# everything else, so run.sh on a real desktop looks as usual.
leave_test_windows_unmanaged() {
    local settings="$BUILD_DIR/unmanaged-test-windows.reg"
    local program
    printf 'REGEDIT4\n' > "$settings"
    for program in "$BUILD_DIR"/tests/*.exe "$BUILD_DIR"/bench/*.exe; do
        printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\n"Managed"="N"\n' \
            "$(basename "$program")" >> "$settings"
    done
    wine regedit /S "$(winepath -w "$settings")" >/dev/null 2>&1
}

# Everything in build/ except the Wine prefix, so a build really starts from scratch.
clean_build_tree() {
    [ -d "$BUILD_DIR" ] || return 0
    find "$BUILD_DIR" -mindepth 1 -maxdepth 1 ! -name wineprefix -exec rm -rf {} +
}
