#!/usr/bin/env bash
# Builds the whole suite with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan; every finding ends its test, leaks
# included), with the fuzz targets' regression inputs and a one-minute fuzzing
# run of each, and runs it. scripts/test.sh runs it after the main suite.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --test
export CCACHE_BASEDIR="$root"
# With debug information ccache also hashes the build folder unless told not
# to; without this, every fresh clone would compile everything again.
export CCACHE_NOHASHDIR=1
if [[ ! -f "$root/build-asan/CMakeCache.txt" ]]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DKORVELLO_SANITIZE=ON -DKORVELLO_FUZZ=ON "${launcher[@]}"
fi
cmake --build "$root/build-asan" -j "$(nproc)"
cd "$root/build-asan"
ctest --output-on-failure -j 2
