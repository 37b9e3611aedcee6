#!/usr/bin/env bash
# Copies the built program into an emulator's folder:
#   scripts/install-into.sh EMULATOR_FOLDER [PORTABLE_FOLDER]
# PORTABLE_FOLDER is the folder the build made (build/bin by default). The
# program, the two fallback pictures (kept when the folder already has its own)
# and every skin whole, with the folder of pictures its sheet draws with.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [[ $# -lt 1 ]]; then
  echo "usage: $0 EMULATOR_FOLDER [PORTABLE_FOLDER]" >&2
  exit 2
fi
target="$(cd "$1" && pwd)"
bin="$(cd "${2:-$root/build/bin}" && pwd)"
# Through a new name and a rename, so a copy that is running keeps its file.
cp "$bin/korvello" "$target/.korvello.new"
mv -f "$target/.korvello.new" "$target/korvello"
mkdir -p "$target/Images" "$target/Skins"
cp -n "$bin"/Images/*_unknown.jpg "$target/Images/"
cp -R "$bin/Skins/." "$target/Skins/"
