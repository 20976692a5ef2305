#!/usr/bin/env bash
# Makes the release files from a built Pathwren.exe:
#   make-release.sh PATHWREN_EXE OUTPUT_DIR VERSION ZIP_NAME
# VERSION has three numbers (the installer's product version). OUTPUT_DIR receives
#   ZIP_NAME                      the portable program, configured for one user beside the exe
#   Pathwren-VERSION-x64.msi      the per-user installer
#   SHA256SUMS                    for both
# With PATHWREN_SIGN_CERT and PATHWREN_SIGN_KEY (PEM or DER files; PATHWREN_SIGN_PASS when the
# key has a pass phrase) the exe and the installer are signed with Authenticode SHA-256,
# time-stamped by PATHWREN_TIMESTAMP_URL (an RFC 3161 server) when it is set.
# The exe and the zip are the same bytes on every run from the same exe and sources.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 PATHWREN_EXE OUTPUT_DIR VERSION ZIP_NAME" >&2
    exit 2
fi
exe=$1
out=$2
version=$3
zip_name=$4
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# One fixed moment for every time the release stores: the last commit's, or the one given.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1767225600)
fi
export SOURCE_DATE_EPOCH
# Zip entries store local time.
export TZ=UTC LC_ALL=C

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage="$out/.stage"
rm -rf "$stage"
mkdir -p "$stage/portable" "$stage/installer"
msi_name="Pathwren-$version-x64.msi"
rm -f "$out/$zip_name" "$out/$msi_name" "$out/SHA256SUMS"

sign() {
    local file=$1
    local when=(-time "$SOURCE_DATE_EPOCH")
    # A time-stamp server's answer replaces the signer's own claim of time; without one the
    # signing time is the fixed moment, so a signed build stays reproducible.
    [ -n "${PATHWREN_TIMESTAMP_URL:-}" ] && when=(-ts "$PATHWREN_TIMESTAMP_URL")
    local pass=()
    [ -n "${PATHWREN_SIGN_PASS:-}" ] && pass=(-pass "$PATHWREN_SIGN_PASS")
    osslsigncode sign -certs "$PATHWREN_SIGN_CERT" -key "$PATHWREN_SIGN_KEY" "${pass[@]}" -h sha256 \
        -n Pathwren -i "http://www.pathwren.example.org/Pathwren/" "${when[@]}" \
        -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
}

signing=0
if [ -n "${PATHWREN_SIGN_CERT:-}" ] && [ -n "${PATHWREN_SIGN_KEY:-}" ]; then
    signing=1
else
    echo "The release is unsigned: set PATHWREN_SIGN_CERT and PATHWREN_SIGN_KEY to sign it."
fi

# Users get the program without its debug information (a twentieth of the size); the build's own
# exe, with the same code at the same addresses, stays the one to read crash dumps with.
x86_64-w64-mingw32-strip --strip-all -o "$stage/Pathwren.exe" "$exe"
[ "$signing" -eq 1 ] && sign "$stage/Pathwren.exe"

copy_program() {
    local destination=$1
    cp "$stage/Pathwren.exe" "$destination/"
    cp -r "$root/res/Languages" "$root/res/Skins" "$destination/"
}

# The portable program. An empty main file beside the exe is a complete configuration: one user,
# everything kept beside the exe, so the whole folder moves with its settings.
portable="$stage/portable"
copy_program "$portable"
cp "$root/packaging/README.txt" "$portable/README.txt"
cp "$root/LICENSE" "$portable/LICENSE.txt"
: > "$portable/Pathwren.ini"
find "$portable" -type d -exec chmod 755 {} +
find "$portable" -type f -exec chmod 644 {} +
find "$portable" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$portable" && find . -mindepth 1 | sed 's|^\./||' | sort | zip -q -X -D "$out/$zip_name" -@)

# The installer. Its main file puts each user's settings in their own profile and leaves start
# with Windows off; the second one is installed instead while the Run value says it is on, so an
# upgrade keeps what the user chose (see packaging/Pathwren.wxs).
installer="$stage/installer"
copy_program "$installer"
printf '[Pathwren]\r\nSingleUser=0\r\nbRunAtStartup=0\r\n' > "$installer/Pathwren.ini"
printf '[Pathwren]\r\nSingleUser=0\r\nbRunAtStartup=1\r\n' > "$installer/PathwrenRunAtStartup.ini"
cp "$root/res/icons/Pathwren.ico" "$stage/"
# wixl finds its sources only by paths relative to where it runs.
(cd "$stage" && find installer/Languages installer/Skins -type f | sort |
    wixl-heat --var var.Stage -p installer/ --directory-ref INSTALLDIR --component-group Resources --win64 \
        >Resources.wxs &&
    wixl -a x64 -D Version="$version" -D Stage=installer -D IconFile=Pathwren.ico -D Win64=yes \
        -o "$out/$msi_name" "$root/packaging/Pathwren.wxs" Resources.wxs)
# wixl does not read component conditions from the source; they are set in the built database.
msibuild "$out/$msi_name" -q "UPDATE Component SET Condition='NOT RUNATSTARTUP' WHERE Component='MainConfigurationFile'"
msibuild "$out/$msi_name" -q "UPDATE Component SET Condition='RUNATSTARTUP' WHERE Component='MainConfigurationFileRunAtStartup'"
[ "$signing" -eq 1 ] && sign "$out/$msi_name"

(cd "$out" && sha256sum "$zip_name" "$msi_name" > SHA256SUMS)
rm -rf "$stage"
echo "Release $version in $out: $zip_name, $msi_name, SHA256SUMS"
