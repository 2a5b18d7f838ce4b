#!/usr/bin/env bash
# Builds the fuzzers (the sprite loader's, the recording reader's and the
# terminal input decoder's) with clang in build-fuzz and runs each for SECONDS (default 30) on a copy of its
# seed corpus. Fails on any crash,
# leak, timeout or sanitizer report; what triggered it is kept in
# build-fuzz/artifacts/.
set -euo pipefail
seconds=${1:-30}
cd "$(dirname "$0")/.."
top=$(pwd)

CXX=clang++ cmake -S . -B build-fuzz -DWD_FUZZ=ON -DWD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j 2 --target sprite_loader_fuzzer recording_reader_fuzzer terminal_input_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r fuzz/corpus "$work/corpus"
cp -r fuzz/terminal-corpus "$work/terminal-corpus"
# The game's own sprites are seeds too.
cp assets/sprites/*-spr.txt "$work/corpus/" 2>/dev/null || true
# An unpacked REXPaint picture: version -1, two layers of 2 x 1 cells, the upper one half transparent.
{
  printf '\377\377\377\377\002\000\000\000'
  printf '\002\000\000\000\001\000\000\000\333\000\000\000\377\000\000\000\000\377\311\000\000\000\001\002\003\004\005\006'
  printf '\002\000\000\000\001\000\000\000\001\000\000\000\377\377\377\377\000\377\315\000\000\000\007\010\011\012\013\014'
} >"$work/corpus/valid-xp-unpacked"
cp -r fuzz/recording-corpus "$work/recording-corpus"
# So are the repository's recordings.
cp tests/recordings/*.wdr "$work/recording-corpus/"
mkdir -p build-fuzz/artifacts

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
unset LSAN_OPTIONS
build-fuzz/fuzz/sprite_loader_fuzzer "$work/corpus" \
  -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -dict="$top/fuzz/sprite.dict" -print_final_stats=1 -artifact_prefix="$top/build-fuzz/artifacts/"
build-fuzz/fuzz/recording_reader_fuzzer "$work/recording-corpus" \
  -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -dict="$top/fuzz/recording.dict" -print_final_stats=1 -artifact_prefix="$top/build-fuzz/artifacts/"
build-fuzz/fuzz/terminal_input_fuzzer "$work/terminal-corpus" \
  -max_total_time="$seconds" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
  -dict="$top/fuzz/terminal.dict" -print_final_stats=1 -artifact_prefix="$top/build-fuzz/artifacts/"
