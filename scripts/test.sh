#!/usr/bin/env bash
# Installs the dependencies, builds Korvello and runs every test: widget tests
# offscreen, X11 tests (hot key, task bar, screenshots) on private X servers;
# then the same suite built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan), with the fuzz targets' regression
# inputs and a short fuzzing run of each.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --test
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j 2
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKORVELLO_SANITIZE=ON -DKORVELLO_FUZZ=ON
cmake --build "$root/build-asan" -j "$(nproc)"
cd "$root/build-asan"
ctest --output-on-failure -j 2
