#!/usr/bin/env bash
# Builds Korvello into build/: everything (the program, its tests and benchmarks),
# or only the targets asked for, as in  scripts/build.sh --target korvello
# The build folder is configured once; later builds re-run the configuration
# by themselves when a CMakeLists.txt changed, so a build with nothing changed
# takes seconds.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# ccache, where installed, makes the build of a fresh clone quick; paths are
# taken relative to the clone so that clones share the cache.
export CCACHE_BASEDIR="$root"
# With debug information ccache also hashes the build folder unless told not
# to; without this, every fresh clone would compile everything again.
export CCACHE_NOHASHDIR=1
if [[ ! -f "$root/build/CMakeCache.txt" ]]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
cmake --build "$root/build" -j "$(nproc)" "$@"
