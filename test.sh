#!/usr/bin/env bash
# Installs what is missing, builds build/ from scratch and runs every test under Wine
# on a virtual display. Exits with CTest's status.
set -euo pipefail
source "$(dirname "$0")/tools/common.sh"

install_missing
trap stop_wine_and_display EXIT
start_virtual_display
prepare_wine_prefix
clean_build_tree
configure_and_build

cd "$BUILD_DIR"
set +e
ctest --output-on-failure --timeout 300 -j "$(nproc)" 2>&1 | tee "$BUILD_DIR/ctest.log"
status=${PIPESTATUS[0]}
set -e
# The INI parser under libFuzzer with the sanitizers for a minute; a finding fails the run.
"$ROOT_DIR/tools/fuzz.sh" 60 || status=1
exit "$status"
