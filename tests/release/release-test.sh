#!/usr/bin/env bash
# Makes the release from the built program and checks it as a user of each download would meet it:
#   release-test.sh PATHWREN_EXE START_AND_CLOSE_EXE VERSION ZIP_NAME
# 1. one version everywhere, the zip's content, the checksums, the update check's download name;
# 2. the same exe gives the same zip twice, and the exe carries no link time and no build path;
# 3. signing with a throw-away certificate verifies, and an unsigned exe does not;
# 4. the zip unpacked into an empty folder keeps its configuration beside the exe;
# 5. the installer installs, a newer one upgrades keeping the configuration (and start with
#    Windows), and the uninstall removes every installed file and nothing of the configuration.
# Every check runs even when an earlier one failed; the exit status counts the failures.
set -uo pipefail

exe=$1
start_and_close=$2
version=$3
zip_name=$4
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
make_release="$root/tools/make-release.sh"
msi_name="Pathwren-$version-x64.msi"

work=$(mktemp -d /tmp/pathwren-release-test.XXXXXX)
failures=0

check() { # check DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@"; then
        echo "ok   $description"
    else
        echo "FAIL $description"
        failures=$((failures + 1))
    fi
}
same() { [ "$1" = "$2" ] || { echo "     expected '$2', found '$1'"; return 1; }; }
quiet_wine() { wine "$@" >>"$work/wine.log" 2>&1; } # Wine's helpers would hold our output open

# A string of the exe's version resource: the UTF-16 string after the last one spelling its key
# (the resource section comes after the program's own texts, which name the keys too).
version_string() { strings -el "$exe" | awk -v key="$1" 'previous == key { value = $0 } { previous = $0 } END { print value }'; }

# --- 1. What the release holds --------------------------------------------------------------
SOURCE_DATE_EPOCH=1767225600 bash "$make_release" "$exe" "$work/first" "$version" "$zip_name" >"$work/first.log" 2>&1
check "the release is made" test -f "$work/first/$zip_name" -a -f "$work/first/$msi_name"
check "an unsigned release says so" grep -q "The release is unsigned" "$work/first.log"
check "the exe's file version is the project version" same "$(version_string FileVersion)" "$version.0"
check "the exe's product version is the project version" same "$(version_string ProductVersion)" "$version.0"
check "the installer's product version is the project version" \
    same "$(msiinfo export "$work/first/$msi_name" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductVersion" { print $2 }')" "$version"
# Bit 8 of the word count: the package asks for no administrator rights (Wine would not notice).
check "the installer needs no elevation" \
    bash -c "(( \$(msiinfo suminfo '$work/first/$msi_name' | awk '/^Source:/ { print \$2 }') & 8 ))"
check "the update check offers the zip the release makes" \
    same "$(strings -el "$exe" | grep -o '/exe/[^/]*$' | head -1)" "/exe/$zip_name"
check "the checksums match both files" bash -c "cd '$work/first' && sha256sum --quiet -c SHA256SUMS && [ \$(wc -l < SHA256SUMS) -eq 2 ]"

expected_zip=$(cd "$root/res" && { find Languages Skins -type f; printf '%s\n' Pathwren.exe Pathwren.ini README.txt LICENSE.txt; } | sort)
check "the zip holds the program, its languages and skins, the readme, the licence and the main file" \
    same "$(unzip -Z1 "$work/first/$zip_name" | grep -v '/$' | sort)" "$expected_zip"
check "the zip's main file is empty" \
    same "$(unzip -Z1 "$work/first/$zip_name" | grep -cx Pathwren.ini)/$(unzip -p "$work/first/$zip_name" Pathwren.ini | wc -c)" 1/0
unzip -p "$work/first/$zip_name" Pathwren.exe >"$work/released.exe"
code() { x86_64-w64-mingw32-objcopy -O binary -j .text "$1" "$work/code.bin" && sha256sum <"$work/code.bin"; }
same_code() { local released built; released=$(code "$1") && built=$(code "$2") && same "$released" "$built"; }
without_debug_information() {
    x86_64-w64-mingw32-objdump -h "$1" >"$work/sections.txt" && grep -q '\.text' "$work/sections.txt" &&
        ! grep -q '\.debug' "$work/sections.txt"
}
check "the zip's exe has the built program's code" same_code "$work/released.exe" "$exe"
check "the zip's exe comes without debug information" without_debug_information "$work/released.exe"

# --- 2. Reproducibility ---------------------------------------------------------------------
SOURCE_DATE_EPOCH=1767225600 bash "$make_release" "$exe" "$work/second" "$version" "$zip_name" >/dev/null 2>&1
check "two releases of the same exe give the same zip" cmp "$work/first/$zip_name" "$work/second/$zip_name"
link_time() { # the TimeDateStamp of the PE header
    local header
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ') && od -An -tu4 -j$((header + 8)) -N4 "$1" | tr -d ' '
}
check "the built exe's header carries no link time" same "$(link_time "$exe")" 0
check "the released exe's header time is the release's fixed moment" same "$(link_time "$work/released.exe")" 1767225600
build_dir=$(cd "$(dirname "$exe")" && pwd)
# The compiler's working directory is written whole, without a slash after it.
check "the exe names neither the source nor the build directory" \
    bash -c "! grep -qaF -e '$root/' -e '$build_dir' '$exe' && ! strings -a '$exe' | grep -qxF '$(basename "$build_dir")'"

# --- 3. Signing -----------------------------------------------------------------------------
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Pathwren test signer" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
PATHWREN_SIGN_CERT="$work/cert.pem" PATHWREN_SIGN_KEY="$work/key.pem" SOURCE_DATE_EPOCH=1767225600 \
    bash "$make_release" "$exe" "$work/signed" "$version" "$zip_name" >"$work/signed.log" 2>&1
unzip -p "$work/signed/$zip_name" Pathwren.exe >"$work/signed.exe"
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }
check "the signed release is made and does not call itself unsigned" \
    bash -c "grep -q '^Release' '$work/signed.log' && ! grep -q unsigned '$work/signed.log'"
check "the signed exe verifies" verify "$work/signed.exe"
check "the signed installer verifies" verify "$work/signed/$msi_name"
check "an unsigned exe does not verify" bash -c "! osslsigncode verify -CAfile '$work/cert.pem' -in '$exe' >/dev/null 2>&1"
check "the checksums are those of the signed files" bash -c "cd '$work/signed' && sha256sum --quiet -c SHA256SUMS"

# --- Wine set-up: this account's per-user configuration is set aside for the run -----------
local_app_data=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')")
app_data=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
per_user="$local_app_data/Pathwren"
installed="$local_app_data/Programs/Pathwren"
shortcut="$app_data/Microsoft/Windows/Start Menu/Programs/Pathwren.lnk"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
[ -e "$per_user" ] && mv "$per_user" "$work/per-user-set-aside"

uninstall_entries() { # the product codes whose "Installed apps" entry is Pathwren's
    local root
    for root in HKLM HKCU; do
        wine reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null | tr -d '\r' |
            awk '/^HKEY_/ { key = $0 } $1 == "DisplayName" && $3 == "Pathwren" { sub(/.*\\/, "", key); print key }'
    done
}
uninstall_value() { # uninstall_value PRODUCT_CODE NAME
    local root
    for root in HKLM HKCU; do
        wine reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" /v "$2" 2>/dev/null |
            tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
    done
}
restore() {
    local product
    for product in $(uninstall_entries); do quiet_wine msiexec /x "$product" /qn; done
    quiet_wine reg delete "$run_key" /v Pathwren /f
    rm -rf "$per_user"
    [ -e "$work/per-user-set-aside" ] && mv "$work/per-user-set-aside" "$per_user"
    rm -rf "$work"
}
trap restore EXIT
for product in $(uninstall_entries); do quiet_wine msiexec /x "$product" /qn; done
quiet_wine reg delete "$run_key" /v Pathwren /f

# --- 4. The zip runs portable ---------------------------------------------------------------
mkdir -p "$work/portable"
unzip -q "$work/first/$zip_name" -d "$work/portable"
quiet_wine "$start_and_close" "$(winepath -w "$work/portable/Pathwren.exe")" --no-options
check "the unpacked zip starts and closes" same $? 0
check "the unpacked zip keeps its items beside the exe" test -s "$work/portable/FoldersOptions.ini"
check "the unpacked zip keeps its user options beside the exe" test -f "$work/portable/UserOptions.ini"
check "the unpacked zip writes nothing into the per-user folder" test ! -e "$per_user"

# --- 5. The installer -----------------------------------------------------------------------
# Wine 8's msiexec dies on a null read installing a package that carries the translations, whose
# file names are not ASCII (Русский.ini, 日本語.ini): the installing checks are skipped by name
# while that holds; the package itself is built, signed and checked above.
if LC_ALL=C find "$root/res/Languages" -name '*[^ -~]*' | grep -q .; then
    echo "skipped: Release.InstallUpgradeUninstall (Wine's msiexec crashes on the non-ASCII file names)"
else
IFS=. read -r major minor patch <<<"$version"
newer="$major.$minor.$((patch + 1))"
bash "$make_release" "$exe" "$work/newer" "$newer" "$zip_name" >/dev/null 2>&1

quiet_wine msiexec /i "$(winepath -w "$work/first/$msi_name")" /qn
check "the installer succeeds" same $? 0
expected_installed=$(cd "$root/res" && { find Languages Skins -type f; printf '%s\n' Pathwren.exe Pathwren.ini; } | sort)
check "the program, its languages, skins and main file are installed" \
    same "$(cd "$installed" 2>/dev/null && find . -type f | sed 's|^\./||' | sort)" "$expected_installed"
check "the installed copy keeps settings per user, start with Windows off" \
    same "$(tr -d '\r' <"$installed/Pathwren.ini" 2>/dev/null)" "$(printf '[Pathwren]\nSingleUser=0\nbRunAtStartup=0')"
check "the Start menu shortcut leads to the installed program" \
    bash -c "strings -el '$shortcut' | grep -q 'Pathwren.exe'"
product=$(uninstall_entries)
check "one \"Installed apps\" entry" same "$(echo "$product" | grep -c .)" 1
check "the entry shows the version" same "$(uninstall_value "$product" DisplayVersion)" "$version"
check "the entry shows the publisher" same "$(uninstall_value "$product" Publisher)" "The Pathwren developers"
check "the entry uninstalls through msiexec" bash -c "[[ '$(uninstall_value "$product" UninstallString)' == *MsiExec.exe* ]]"
check "the product's icon is the program's" \
    same "$(msiinfo export "$work/first/$msi_name" Property | tr -d '\r' | awk -F'\t' '$1 == "ARPPRODUCTICON" { print $2 }')" Pathwren.ico

quiet_wine "$start_and_close" "$(winepath -w "$installed/Pathwren.exe")" --options
check "the installed program's first start opens the options and closes" same $? 0
check "its configuration is in the per-user folder" test -s "$per_user/FoldersOptions.ini" -a -f "$per_user/UserOptions.ini"
check "nothing of the configuration is beside the installed program" \
    bash -c "! ls '$installed' | grep -q -e FoldersOptions -e UserOptions"
configuration_before=$(cd "$per_user" && sha256sum FoldersOptions.ini UserOptions.ini)

# The user turns start with Windows on (the program writes its Run value); the upgrade keeps it.
quiet_wine reg add "$run_key" /v Pathwren /d "$(winepath -w "$installed/Pathwren.exe")" /f
quiet_wine msiexec /i "$(winepath -w "$work/newer/Pathwren-$newer-x64.msi")" /qn
check "the newer installer upgrades" same $? 0
product=$(uninstall_entries)
check "the upgrade leaves one entry, with the newer version" \
    same "$(echo "$product" | grep -c .)/$(uninstall_value "$product" DisplayVersion)" "1/$newer"
check "the upgraded copy still starts with Windows" grep -q "bRunAtStartup=1" "$installed/Pathwren.ini"
check "the upgrade keeps the configuration" same "$(cd "$per_user" && sha256sum FoldersOptions.ini UserOptions.ini)" "$configuration_before"
quiet_wine reg delete "$run_key" /v Pathwren /f

quiet_wine msiexec /x "$(winepath -w "$work/newer/Pathwren-$newer-x64.msi")" /qn
check "the uninstall succeeds" same $? 0
check "the uninstall removes every installed file and folder" test ! -e "$installed"
check "the uninstall removes the Start menu shortcut" test ! -e "$shortcut"
check "the uninstall removes the entry" same "$(uninstall_entries)" ""
check "the uninstall keeps the configuration" same "$(cd "$per_user" && sha256sum FoldersOptions.ini UserOptions.ini)" "$configuration_before"

fi

echo "$failures failed check(s)"
if [ "$failures" -ne 0 ]; then
    echo "--- the release scripts and Wine said:"
    tail -n 20 "$work"/*.log
fi
[ "$failures" -eq 0 ]
