#!/usr/bin/env bash
# Installs what the build needs, builds the release game into build/release
# (the build also generates the demo data set into build/release/run) and
# starts it from the folder that holds its data. Extra arguments are passed
# to the game.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tk_ensure_packages

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTK_TESTS=OFF -DTK_BENCH=OFF
cmake --build build/release -j "$(nproc)" --target tessarak

# The game runs from the folder that holds its "data" folder.
cd build/release/run
exec ../game/tessarak "$@"
