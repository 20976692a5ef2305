#!/usr/bin/env bash
# Fuzzes the file parsers natively with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer:
# the INI parser, seeded with the damaged-configuration corpus, for two thirds of the time, and the
# shortcut file reader for the rest. A crash, a sanitizer report or a broken property fails the run
# and leaves the input in tests/fuzz/<target>-crashes/ (crashes/ for the INI parser) to be committed.
# The corpus grown by each run is kept in tests/fuzz/corpus-cache/ (ignored by git, outside the
# build tree, so a clean build keeps it); the inputs that reach code no committed seed reaches are
# merged into the seed folders (ini-seeds/, link-seeds/), to be committed with the seeds.
# Usage: tools/fuzz.sh [seconds]   (default 60)
set -euo pipefail
ROOT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SECONDS_TO_RUN=${1:-60}
OUT_DIR="$ROOT_DIR/build/fuzz"
CACHE_DIR="$ROOT_DIR/tests/fuzz/corpus-cache"

# fuzz <target> <source under test> <crash folder> <seconds> <committed seed folder> [more seed folders...]
fuzz() {
    local target=$1 source=$2 crashes=$3 seconds=$4 seeds=$5
    shift 4
    mkdir -p "$CACHE_DIR/$target" "$crashes" "$seeds"
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$ROOT_DIR" "$ROOT_DIR/tests/fuzz/$target.cpp" "$ROOT_DIR/$source" -o "$OUT_DIR/$target"
    # Every crash ever found is run first, so a fixed one stays fixed.
    if compgen -G "$crashes/*" >/dev/null; then
        "$OUT_DIR/$target" "$crashes"/*
    fi
    # New inputs go to the cache; the committed seeds are only read while fuzzing.
    "$OUT_DIR/$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        -artifact_prefix="$crashes/" "$CACHE_DIR/$target" "$@" 2>&1 | tail -5
    local status=${PIPESTATUS[0]}
    [ "$status" -ne 0 ] && return "$status"
    # Only what adds coverage to the committed seeds joins them.
    "$OUT_DIR/$target" -merge=1 -max_len=65536 "$seeds" "$CACHE_DIR/$target" >/dev/null 2>&1 || true
    if [ -n "$(git -C "$ROOT_DIR" status --porcelain -- "$seeds" 2>/dev/null)" ]; then
        echo "New fuzz seeds in ${seeds#$ROOT_DIR/}: commit them."
    fi
}

mkdir -p "$OUT_DIR"
fuzz IniDocumentFuzz config/IniDocument.cpp "$ROOT_DIR/tests/fuzz/crashes" $((SECONDS_TO_RUN * 2 / 3)) \
    "$ROOT_DIR/tests/fuzz/ini-seeds" "$ROOT_DIR/tests/app/malformed"
fuzz ShellLinkFileFuzz lib/ShellLinkFile.cpp "$ROOT_DIR/tests/fuzz/link-crashes" $((SECONDS_TO_RUN / 3)) \
    "$ROOT_DIR/tests/fuzz/link-seeds"
