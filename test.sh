#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once as a normal
# build, once under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# fuzzers (sprite loader, recording reader, terminal input decoder) for a
# short while each when clang is present.
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

./tools/ensure-packages.sh build-essential cmake pkg-config libsfml-dev libgtest-dev \
  libbenchmark-dev xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core libgl1-mesa-dri \
  libopenal-dev libasound2-dev libfreetype-dev sox zlib1g-dev libtcod-dev tmux procps

jobs=$(nproc)

# The mutation check runs on demand (tools/mutate.sh); here only its catalogue is checked against the code.
./tools/mutate.sh --check

# Window tests need an X server: use the desktop's, or start Xvfb.
with_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
  fi
}

run_suite() {
  local build_dir=$1
  shift
  cmake -S . -B "$build_dir" "$@" >/dev/null
  cmake --build "$build_dir" -j "$jobs"
  (cd "$build_dir" && with_display ctest --output-on-failure -j 1)
}

echo "== Build and test =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== Build the engine without Xlib =="
cmake -S . -B build-nox11 -DWD_USE_X11=OFF -DWD_TESTS=OFF -DWD_BENCH=OFF -DWD_GAMES=OFF >/dev/null
cmake --build build-nox11 --target wendrel -j "$jobs"

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer =="
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DWD_SANITIZE=ON
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

if [ -f fuzz/CMakeLists.txt ] && command -v clang++ >/dev/null 2>&1; then
  echo "== Fuzz the sprite loader, the recording reader and the terminal input decoder =="
  ./fuzz/run.sh "${WD_FUZZ_SECONDS:-30}"
fi

echo "== All tests passed =="
