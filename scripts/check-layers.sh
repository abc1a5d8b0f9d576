#!/usr/bin/env bash
# Fails when an include of src/ breaks the layering written in cmake/QuorlLayers.cmake:
# - a layer includes a header of a layer it does not link, directly or through the layers it
#   links (the build already refuses most of these, but not a path relative to the file);
# - any include climbs out of its folder by a relative path ("../world/world.h");
# - units include each other in a circle, anywhere in src/: a unit is a header with its source
#   files (screen.h with screen.cpp; tank.h with tank_draw.cpp and any tank_*.h).
set -euo pipefail
cd "$(dirname "$0")/.."
list=cmake/QuorlLayers.cmake
status=0

# "layer link link ..." a line, from the entries of QUORL_LAYERS: outside libraries (with
# "::") left out.
entries=$(awk '/^set\(QUORL_LAYERS/{inside=1; next} inside && /^\)/{inside=0} inside' "$list" |
  grep -o '^ *"[^"]*"' | tr -d '"' |
  awk '{line=$1; for (i = 2; i <= NF; ++i) if ($i !~ /::/) line = line " " $i; print line}')
if [ -z "$entries" ]; then
  echo "no layers found in $list" >&2
  exit 1
fi
declare -A links
layers=()
while read -r layer rest; do
  layers+=("$layer")
  links[$layer]="$rest"
done <<<"$entries"

# The layers a layer may see: itself and all it links, transitively.
visible() {
  local seen=" $1 " todo=($1) next link
  while [ ${#todo[@]} -gt 0 ]; do
    next=${todo[0]}
    todo=("${todo[@]:1}")
    for link in ${links[$next]}; do
      if [[ $seen != *" $link "* ]]; then
        seen="$seen$link "
        todo+=("$link")
      fi
    done
  done
  echo "$seen"
}

for layer in "${layers[@]}"; do
  if [ ! -d "src/$layer" ]; then
    echo "$list names a layer without a folder: src/$layer" >&2
    status=1
    continue
  fi
  allowed=$(visible "$layer")
  while IFS=: read -r file line target; do
    folder=${target%%/*}
    if [[ $target == ../* ]]; then
      echo "src/$file:$line: climbs out of its folder: \"$target\"" >&2
      status=1
    elif [[ " ${layers[*]} " == *" $folder "* && $allowed != *" $folder "* ]]; then
      echo "src/$file:$line: $layer reaches $folder, which it does not link: \"$target\"" >&2
      status=1
    fi
  done < <(cd src && grep -rnoE '^#include[[:space:]]*"[^"]+"' "$layer" |
    sed -E 's/#include[[:space:]]*"([^"]*)"/\1/')
done
for folder in src/*/; do
  folder=$(basename "$folder")
  if [[ " ${layers[*]} " != *" $folder "* ]]; then
    echo "src/$folder is not a layer of $list" >&2
    status=1
  fi
done

# The unit of src/<layer>/<name>.<ext>: <layer>/<name>, or <layer>/<prefix> when the name is
# <prefix>_<anything> and <prefix>.h exists. One edge a unit including another's header.
graph=$(cd src && grep -rnoE '^#include[[:space:]]*"[a-z]+/[^"]+"' --include='*.h' --include='*.cpp' . |
  sed -E 's|^\./||; s/:[0-9]+:#include[[:space:]]*"/ /; s/"$//' |
  awk -v headers="$(ls ./*/*.h | sed 's|^\./||' | tr '\n' ' ')" '
    BEGIN { n = split(headers, list, " "); for (i = 1; i <= n; ++i) exists[list[i]] = 1 }
    function unit(path,    layer, base, prefix) {
      layer = path; sub(/\/.*/, "", layer)
      base = path; sub(/^[^\/]*\//, "", base); sub(/\.[^.]*$/, "", base)
      prefix = base; sub(/_.*/, "", prefix)
      if (prefix != base && ((layer "/" prefix ".h") in exists)) base = prefix
      return layer "/" base
    }
    ($2 in exists) { a = unit($1); b = unit($2); if (a != b) print a, b }' | sort -u)
if ! loops=$(tsort <<<"$graph" 2>&1 >/dev/null) || [ -n "$loops" ]; then
  echo "units include each other in a circle:" >&2
  echo "$loops" | sed 's/^tsort: //' >&2
  status=1
fi

[ $status -eq 0 ] && echo "layers: ${#layers[@]} layers; every include stays within what its layer links, no unit circle"
exit $status
