#!/usr/bin/env bash
# Installs the dependencies, builds the program (only the program: tests and
# benchmarks are built by scripts/build.sh without arguments) and starts it.
#   scripts/run.sh              runs it in the portable folder build/bin (with Images and Skins)
#   scripts/run.sh EMU_FOLDER   installs it into the emulator's folder and runs it from there
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" --target korvello
bin="$root/build/bin"
if [[ $# -ge 1 ]]; then
  "$root/scripts/install-into.sh" "$1" "$bin"
  exec "$(cd "$1" && pwd)/korvello"
fi
mkdir -p "$bin/inis" "$bin/Plugins"
exec "$bin/korvello"
