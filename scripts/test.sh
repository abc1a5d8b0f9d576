#!/usr/bin/env bash
# Sets everything up and runs every test: the unit and window tests in a normal build and
# again under AddressSanitizer and UndefinedBehaviorSanitizer. Window tests run under Xvfb
# when no display is set.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh

with_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
  fi
}

echo "== Build and test =="
scripts/build.sh build
with_display ctest --test-dir build --output-on-failure -j2

echo "== Sanitizer build and test =="
scripts/build.sh build-sanitize -DQUORL_SANITIZE=ON -DQUORL_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 \
LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  with_display ctest --test-dir build-sanitize --output-on-failure -j2 -E '^format$'
