#!/usr/bin/env bash
# Sets everything up, builds the game and its asset tools (not the tests and benchmarks, which
# scripts/test.sh builds) and starts it; any options are passed to the game. The game finds its
# data in the checkout's data/ beside the build folder, from whatever folder this runs in.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target quorl quorl_assetgen quorl_levelgen
exec build/quorl "$@"
