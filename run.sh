#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. The game runs in
# its build folder, which holds the font, sprites/ and sounds/ and receives
# the log; nothing is written into the source tree.
set -euo pipefail
cd "$(dirname "$0")"

./tools/ensure-packages.sh build-essential cmake pkg-config libsfml-dev fonts-dejavu-core \
  libgl1-mesa-dri libopenal-dev libasound2-dev libfreetype-dev zlib1g-dev

cmake -S . -B build-game -DCMAKE_BUILD_TYPE=Release -DWD_TESTS=OFF -DWD_BENCH=OFF >/dev/null
cmake --build build-game -j "$(nproc)" --target bunny-run
cd build-game/game
exec ./bunny-run
