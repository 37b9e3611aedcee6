#!/usr/bin/env bash
# Installs the dependencies, builds Korvello and runs every test: widget tests
# offscreen, X11 tests (hot key, task bar, screenshots) on private X servers.
# Then the same suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# with the fuzz targets' regression inputs and a short run of each
# (scripts/sanitize.sh; scripts/fuzz.sh fuzzes one target for longer).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --test
"$root/scripts/build.sh"
(cd "$root/build" && ctest --output-on-failure -j 2)
"$root/scripts/sanitize.sh"
