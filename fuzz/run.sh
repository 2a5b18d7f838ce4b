#!/usr/bin/env bash
# Builds the sprite loader's and the terminal input decoder's fuzzers with
# clang in build-fuzz and runs each for SECONDS (default 30) on a copy of its
# seed corpus. Fails on any crash,
# leak, timeout or sanitizer report; what triggered it is kept in
# build-fuzz/artifacts/.
set -euo pipefail
seconds=${1:-30}
cd "$(dirname "$0")/.."
top=$(pwd)

CXX=clang++ cmake -S . -B build-fuzz -DWD_FUZZ=ON -DWD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j 2 --target sprite_loader_fuzzer terminal_input_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r fuzz/corpus "$work/corpus"
cp -r fuzz/terminal-corpus "$work/terminal-corpus"
# The game's own sprites are seeds too.
cp assets/sprites/*-spr.txt "$work/corpus/" 2>/dev/null || true
mkdir -p build-fuzz/artifacts

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
unset LSAN_OPTIONS
build-fuzz/fuzz/sprite_loader_fuzzer "$work/corpus" \
  -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -dict="$top/fuzz/sprite.dict" -print_final_stats=1 -artifact_prefix="$top/build-fuzz/artifacts/"
build-fuzz/fuzz/terminal_input_fuzzer "$work/terminal-corpus" \
  -max_total_time="$seconds" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
  -dict="$top/fuzz/terminal.dict" -print_final_stats=1 -artifact_prefix="$top/build-fuzz/artifacts/"
