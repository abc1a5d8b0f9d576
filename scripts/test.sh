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

echo "== Fuzzers =="
# The asset, level and match record readers under libFuzzer, for a bounded time each, on a
# scratch copy of the seed corpus so the repository stays clean. A crash input is kept in
# fuzz-build/.
CC=clang CXX=clang++ cmake -S fuzz -B fuzz-build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build fuzz-build -j"$(nproc)"
fuzz_work=$(mktemp -d)
trap 'rm -rf "$fuzz_work"' EXIT
for target in obj sgi level record; do
  cp -r "fuzz/corpus/$target" "$fuzz_work/$target"
  if ! "fuzz-build/${target}_fuzzer" -max_total_time=30 -max_len=4096 -close_fd_mask=3 \
      -artifact_prefix="$root/fuzz-build/${target}-" "$fuzz_work/$target" \
      2>"$fuzz_work/$target.log"; then
    tail -n 60 "$fuzz_work/$target.log"
    echo "fuzzer ${target}_fuzzer failed; the input is in fuzz-build/" >&2
    exit 1
  fi
  echo "${target}_fuzzer: $(grep -E '^Done' "$fuzz_work/$target.log")"
done
