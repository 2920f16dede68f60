#!/usr/bin/env bash
# Builds the native fuzzer of the mark-up parser and line breaker and runs it
# for a bounded time on its seed corpus. Exits non-zero when it finds
# something.
#   facetkit/fuzz/run.sh [seconds, default 20] [build folder]
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
SECONDS_EACH="${1:-20}"
B="${2:-$ROOT/build/fuzz-facetkit}"
if command -v clang++ >/dev/null 2>&1; then CXX=clang++; else CXX=g++; fi
cmake -S "$HERE" -B "$B" -G Ninja -DCMAKE_CXX_COMPILER="$CXX" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$B" >/dev/null
for f in markup; do
  work="$B/corpus-$f"          # new inputs found go here, never into the repository
  mkdir -p "$work" "$B/artifacts"
  echo "fuzz: $f for ${SECONDS_EACH} s"
  "$B/fuzz_$f" -max_total_time="$SECONDS_EACH" -rss_limit_mb=1024 -timeout=10 \
      -artifact_prefix="$B/artifacts/$f-" "$work" "$HERE/corpus/$f" >"$B/fuzz_$f.log" 2>&1 || {
    echo "fuzz: $f found a fault, see $B/fuzz_$f.log and $B/artifacts/"
    tail -40 "$B/fuzz_$f.log"
    exit 1
  }
  tail -1 "$B/fuzz_$f.log"
done
echo "fuzz: nothing found"
