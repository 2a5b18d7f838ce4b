#!/usr/bin/env bash
# Installs the engine into a temporary prefix and builds a one-file game
# against it with find_package, with pkg-config and g++, and with
# add_subdirectory; each game draws a sprite and checks its pixels. Hello is
# built against the installed package too, as the guide does.
set -euo pipefail
source_dir=${WD_SOURCE_DIR:?} binary_dir=${WD_BINARY_DIR:?}
if grep -q '^WD_SANITIZE:BOOL=ON' "$binary_dir/CMakeCache.txt" 2>/dev/null; then
  echo "skipped: the sanitizer build runs the same packaging"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
game=$source_dir/tests/consumer
export ALSOFT_DRIVERS=null

cmake --install "$binary_dir" --prefix "$prefix" >/dev/null
(cd "$prefix" && find . -type f | sort)
"$prefix/bin/wendrel-spritecheck" "$source_dir/examples/hello/sprites/hero-spr.txt" | tail -1

echo "== find_package =="
cmake -S "$game" -B "$work/find" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/find" >/dev/null
(cd "$work/find" && ./pixel_game)
cmake -S "$source_dir/examples/hello" -B "$work/hello" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/hello" >/dev/null
[ -x "$work/hello/hello" ] && [ -f "$work/hello/wd-font.ttf" ] && [ -f "$work/hello/sprites/hero-spr.txt" ]

echo "== pkg-config =="
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name wendrel.pc)")
export PKG_CONFIG_PATH
mkdir "$work/pc"
cd "$work/pc"
# shellcheck disable=SC2046  # the flags are meant to split into words
g++ -o pixel_game "$game/pixel_game.cpp" $(pkg-config --cflags --libs --static wendrel)
cp "$(pkg-config --variable=fontfile wendrel)" .
./pixel_game

echo "== add_subdirectory =="
cmake -S "$game" -B "$work/sub" -DWENDREL_SOURCE_DIR="$source_dir" >/dev/null
cmake --build "$work/sub" -j 2 >/dev/null
(cd "$work/sub" && ./pixel_game)
# As a subproject the engine brings only its library and the sprite checker.
built=$(cd "$work/sub/wendrel" && find . -type f -perm -u+x | sort | tr '\n' ' ')
[ "$built" = "./tools/wendrel-spritecheck " ] || { echo "FAIL: the subproject built $built"; exit 1; }
echo "== packaging OK =="
