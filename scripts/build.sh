#!/usr/bin/env bash
# Builds Korvello into build/: everything (the program, its tests and benchmarks),
# or only the targets asked for, as in  scripts/build.sh --target korvello
# With --sanitize first, the same with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, fuzz targets included, into build-asan/.
# A build folder is configured once; later builds re-run the configuration
# by themselves when a CMakeLists.txt changed, so a build with nothing changed
# takes seconds.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$root/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--sanitize" ]]; then
  shift
  dir="$root/build-asan"
  # -O1 with line tables only: the sanitizers' reports keep their file and
  # line, and the test command's one build spends no time on full debug
  # information and -O2.
  options+=(-DCMAKE_CXX_COMPILER=clang++ -DKORVELLO_SANITIZE=ON -DKORVELLO_FUZZ=ON
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG")
fi
# ccache, where installed, makes the build of a fresh clone quick; paths are
# taken relative to the clone so that clones share the cache.
export CCACHE_BASEDIR="$root"
# With debug information ccache also hashes the build folder unless told not
# to; without this, every fresh clone would compile everything again.
export CCACHE_NOHASHDIR=1
if [[ ! -f "$dir/CMakeCache.txt" ]]; then
  if command -v ccache >/dev/null; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$dir" "${options[@]}"
fi
cmake --build "$dir" -j "$(nproc)" "$@"
