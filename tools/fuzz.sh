#!/usr/bin/env bash
# Fuzzes the INI parser natively with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# seeded with the damaged-configuration corpus. A crash, a sanitizer report or a broken round
# trip fails the run and leaves the input in tests/fuzz/crashes/ to be committed.
# Usage: tools/fuzz.sh [seconds]   (default 60)
set -euo pipefail
ROOT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SECONDS_TO_RUN=${1:-60}
OUT_DIR="$ROOT_DIR/build/fuzz"
mkdir -p "$OUT_DIR/corpus" "$ROOT_DIR/tests/fuzz/crashes"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$ROOT_DIR" "$ROOT_DIR/tests/fuzz/IniDocumentFuzz.cpp" "$ROOT_DIR/config/IniDocument.cpp" \
    -o "$OUT_DIR/IniDocumentFuzz"
# Every crash ever found is run first, so a fixed one stays fixed.
if compgen -G "$ROOT_DIR/tests/fuzz/crashes/*" >/dev/null; then
    "$OUT_DIR/IniDocumentFuzz" "$ROOT_DIR"/tests/fuzz/crashes/*
fi
# New inputs go to the build tree; the committed corpus is only read.
"$OUT_DIR/IniDocumentFuzz" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -rss_limit_mb=2048 \
    -artifact_prefix="$ROOT_DIR/tests/fuzz/crashes/" "$OUT_DIR/corpus" "$ROOT_DIR/tests/app/malformed" 2>&1 | tail -5
exit "${PIPESTATUS[0]}"
