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

# The tests run with a scratch home, so that nothing they start (the game, a driver's shader
# cache) writes into the tester's own; the builds keep the real one, where ccache lives.
scratch_home=$(mktemp -d)
fuzz_work=$(mktemp -d)
trap 'rm -rf "$scratch_home" "$fuzz_work"' EXIT
with_scratch_home() (
  export HOME="$scratch_home" XDG_DATA_HOME="$scratch_home/.local/share" \
    XDG_CONFIG_HOME="$scratch_home/.config" XDG_CACHE_HOME="$scratch_home/.cache" \
    XDG_STATE_HOME="$scratch_home/.local/state"
  unset XDG_PICTURES_DIR QUORL_DATA
  # No test plays sound out loud: those that listen capture it with SDL's disk driver.
  export SDL_AUDIODRIVER=dummy
  "$@"
)

echo "== Build and test =="
scripts/build.sh build -DQUORL_WERROR=ON
with_scratch_home with_display ctest --test-dir build --output-on-failure -j2

echo "== Sanitizer build and test =="
scripts/build.sh build-sanitize -DQUORL_SANITIZE=ON -DQUORL_BUILD_BENCH=OFF -DQUORL_WERROR=ON
# The install and package tests are about what ships: not a sanitized program. A test that
# fails is run once more: the leak checker's tracer, stopping the renderer's threads as a GL
# program exits, now and then crashes itself ("Tracer caught signal 11"), about once in two
# hundred such exits on a loaded machine; a real fault fails both times.
ASAN_OPTIONS=detect_leaks=1 \
LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  with_scratch_home with_display ctest --test-dir build-sanitize --output-on-failure -j2 \
  --repeat until-pass:2 -E '^format$' -LE '^install$'

echo "== Fuzzers =="
# The asset, level, script, settings, match record and network message readers under libFuzzer,
# for a bounded time each, on a scratch copy of the seed corpus so the repository stays clean. A
# crash input is kept in fuzz-build/. What a peer sends must never make a machine allocate much:
# the network readers run under a tighter memory limit.
CC=clang CXX=clang++ cmake -S fuzz -B fuzz-build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build fuzz-build -j"$(nproc)"
for target in obj sgi level script settings record net; do
  cp -r "fuzz/corpus/$target" "$fuzz_work/$target"
  limit=2048 # libFuzzer's own
  if [ "$target" = net ]; then limit=512; fi
  if ! "fuzz-build/${target}_fuzzer" -max_total_time=30 -max_len=4096 -close_fd_mask=3 \
      -rss_limit_mb="$limit" \
      -artifact_prefix="$root/fuzz-build/${target}-" "$fuzz_work/$target" \
      2>"$fuzz_work/$target.log"; then
    tail -n 60 "$fuzz_work/$target.log"
    echo "fuzzer ${target}_fuzzer failed; the input is in fuzz-build/" >&2
    exit 1
  fi
  echo "${target}_fuzzer: $(grep -E '^Done' "$fuzz_work/$target.log")"
done
