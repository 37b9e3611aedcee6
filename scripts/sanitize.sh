#!/usr/bin/env bash
# Builds the whole suite with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan, every finding ends its test), with the
# fuzz targets' regression inputs and a short fuzzing run of each, and runs it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --test
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKORVELLO_SANITIZE=ON -DKORVELLO_FUZZ=ON
cmake --build "$root/build-asan" -j "$(nproc)"
cd "$root/build-asan"
ctest --output-on-failure -j 2
