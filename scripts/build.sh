#!/usr/bin/env bash
# Configures and builds Quorl in build/ (or the folder given as the first argument, with any
# further arguments passed to CMake).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" -j"$(nproc)"
