#!/usr/bin/env bash
# Fuzzes one target for longer than the test suite does:
#   scripts/fuzz.sh fuzz_jpeg|fuzz_iniwrite|fuzz_storedtext|fuzz_dbfile|fuzz_discimage [SECONDS, default 600]
# Builds the sanitizer build's fuzz targets (build-asan) first. Inputs that reach
# new code land in build-asan/tests/fuzz/found/<target>; a crashing input is
# written to build-asan/tests/fuzz/ and belongs in tests/fuzz/regressions/<target>.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
target="${1:?name a fuzz target}"
seconds="${2:-600}"
"$root/scripts/install-deps.sh" --test
"$root/scripts/build.sh" --sanitize --target "$target"
cd "$root/build-asan/tests/fuzz"
mkdir -p "found/$target"
limit=()
[[ "$target" == fuzz_jpeg ]] && limit=(-malloc_limit_mb=1024)
[[ "$target" == fuzz_discimage ]] && limit=(-malloc_limit_mb=512)
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "./$target" -timeout=10 -rss_limit_mb=2048 "${limit[@]}" -max_total_time="$seconds" -print_final_stats=1 \
  "found/$target" "$root/tests/fuzz/corpus/$target" "$root/tests/fuzz/regressions/$target"
