#!/usr/bin/env bash
# Fails when a C++ source of the project is not in the house style (.clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files --cached --others --exclude-standard -- \
  'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
  'tools/*.cpp' 'tools/*.h' 'fuzz/*.cpp' 2>/dev/null || true)
if [ -z "$files" ]; then
  echo "no sources found" >&2
  exit 1
fi
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
echo "format: $(echo "$files" | wc -w) files in house style"
