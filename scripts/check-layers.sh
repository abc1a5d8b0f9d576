#!/usr/bin/env bash
# Fails when a source of src/ reaches a layer above its own. The build already refuses an
# upward include by folder ("world/world.h" from collision/); this also catches the one way
# round it, a path relative to the file ("../world/world.h").
set -euo pipefail
cd "$(dirname "$0")/../src"
layers=(math audio assets collision world entities app) # bottom to top; audio sees only math
status=0
for i in "${!layers[@]}"; do
  layer=${layers[$i]}
  above=("${layers[@]:$((i + 1))}")
  [ -d "$layer" ] || continue
  pattern='#include[[:space:]]*"\.\./'
  if [ ${#above[@]} -gt 0 ]; then
    pattern="$pattern|#include[[:space:]]*\"($(IFS='|'; echo "${above[*]}"))/"
  fi
  if hits=$(grep -rnE "$pattern" "$layer"); then
    echo "$layer reaches above its layer:" >&2
    echo "$hits" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "layers: every include stays in its layer or below"
exit $status
