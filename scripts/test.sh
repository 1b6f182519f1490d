#!/usr/bin/env bash
# Installs what is missing, builds Tarvelon twice (release, and with the
# address and undefined-behaviour sanitizers) and runs every test in both;
# then builds the fuzz targets with clang and runs each for a bounded time
# (TARVELON_FUZZ_SECONDS in fuzz/CMakeLists.txt, 20 s) from its seeds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

for flavour in release asan; do
  echo "== $flavour build"
  "$root/scripts/build.sh" "$flavour"
  echo "== $flavour tests"
  ctest --test-dir "$root/build/$flavour" --output-on-failure -j "$(nproc)" --timeout 900
done
echo "== fuzz build"
"$root/scripts/build.sh" fuzz
echo "== fuzz runs"
ctest --test-dir "$root/build/fuzz" --output-on-failure -j "$(nproc)" --timeout 900
echo "== all tests passed"
