#!/usr/bin/env bash
# Sets everything up, builds the game and starts it from data/, where it finds models/,
# textures/ and levels/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
cd data
exec ../build/quorl "$@"
