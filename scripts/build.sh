#!/usr/bin/env bash
# Configures and builds one flavour of Tarvelon.
#   scripts/build.sh release   -> build/release (optimised, -O2)
#   scripts/build.sh asan      -> build/asan    (address + undefined-behaviour sanitizers)
#   scripts/build.sh fuzz      -> build/fuzz    (clang: the Qt-free core and its libFuzzer targets)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
flavour="${1:-release}"
case "$flavour" in
  release) extra=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELON_SANITIZE=ON) ;;
  fuzz) extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELON_FUZZ=ON -DCMAKE_C_COMPILER=clang
               -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: $0 [release|asan|fuzz]" >&2; exit 2 ;;
esac
dir="$root/build/$flavour"
# ccache, when present, makes rebuilds in other clones and flavours cheap.
if command -v ccache > /dev/null; then
  extra+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root"
fi
cmake -S "$root" -B "$dir" -G Ninja "${extra[@]}" > /dev/null
cmake --build "$dir" -j "$(nproc)"
