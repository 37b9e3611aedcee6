#!/usr/bin/env bash
# Installs the dependencies, then builds the whole suite once, with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan), and runs every
# test: widget tests offscreen, X11 tests (hot key, task bar, screenshots) on
# private X servers, the fuzz targets' regression inputs and a short run of
# each fuzz target. Every sanitizer finding ends its test, leaks included.
# scripts/fuzz.sh fuzzes one target for longer; scripts/build.sh alone builds
# the program without the sanitizers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exec "$root/scripts/sanitize.sh"
