#!/usr/bin/env bash
# Fuzzes the file parsers natively with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer:
# the INI parser, seeded with the damaged-configuration corpus, for two thirds of the time, and the
# shortcut file reader for the rest. A crash, a sanitizer report or a broken property fails the run
# and leaves the input in tests/fuzz/<target>-crashes/ (crashes/ for the INI parser) to be committed.
# Usage: tools/fuzz.sh [seconds]   (default 60)
set -euo pipefail
ROOT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SECONDS_TO_RUN=${1:-60}
OUT_DIR="$ROOT_DIR/build/fuzz"

# fuzz <target> <source under test> <crash folder> <seconds> [seed folders...]
fuzz() {
    local target=$1 source=$2 crashes=$3 seconds=$4
    shift 4
    mkdir -p "$OUT_DIR/$target-corpus" "$crashes"
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$ROOT_DIR" "$ROOT_DIR/tests/fuzz/$target.cpp" "$ROOT_DIR/$source" -o "$OUT_DIR/$target"
    # Every crash ever found is run first, so a fixed one stays fixed.
    if compgen -G "$crashes/*" >/dev/null; then
        "$OUT_DIR/$target" "$crashes"/*
    fi
    # New inputs go to the build tree; the committed seeds are only read.
    "$OUT_DIR/$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        -artifact_prefix="$crashes/" "$OUT_DIR/$target-corpus" "$@" 2>&1 | tail -5
    return "${PIPESTATUS[0]}"
}

mkdir -p "$OUT_DIR"
fuzz IniDocumentFuzz config/IniDocument.cpp "$ROOT_DIR/tests/fuzz/crashes" $((SECONDS_TO_RUN * 2 / 3)) \
    "$ROOT_DIR/tests/app/malformed"
fuzz ShellLinkFileFuzz lib/ShellLinkFile.cpp "$ROOT_DIR/tests/fuzz/link-crashes" $((SECONDS_TO_RUN / 3)) \
    "$ROOT_DIR/tests/fuzz/link-seeds"
