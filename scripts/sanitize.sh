#!/usr/bin/env bash
# Builds the whole suite with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan; every finding ends its test, leaks
# included), with the fuzz targets' regression inputs and a short fuzzing run
# of each, and runs it. This is what scripts/test.sh runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --test
"$root/scripts/build.sh" --sanitize
cd "$root/build-asan"
ctest --output-on-failure -j 2
