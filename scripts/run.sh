#!/usr/bin/env bash
# Installs the dependencies, builds Korvello and starts it.
#   scripts/run.sh              runs it in the portable folder build/bin (with Images and Skins)
#   scripts/run.sh EMU_FOLDER   installs it into the emulator's folder and runs it from there
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
bin="$root/build/bin"
if [[ $# -ge 1 ]]; then
  target="$(cd "$1" && pwd)"
  cp "$bin/korvello" "$target/"
  mkdir -p "$target/Images" "$target/Skins"
  cp -n "$bin"/Images/*_unknown.jpg "$target/Images/"
  cp "$bin"/Skins/*.qss "$target/Skins/" 2>/dev/null || true
  exec "$target/korvello"
fi
mkdir -p "$bin/inis" "$bin/Plugins"
exec "$bin/korvello"
