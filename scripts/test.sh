#!/usr/bin/env bash
# Installs the dependencies, builds Korvello and runs every test: widget tests
# offscreen, X11 tests (hot key, task bar, screenshots) on private X servers.
# The sanitizer build and the fuzz targets have commands of their own
# (scripts/sanitize.sh, scripts/fuzz.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --test
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j 2
