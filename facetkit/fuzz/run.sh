#!/usr/bin/env bash
# Builds the native fuzzers of the mark-up parser and line breaker and of the
# podcast feed parser and of the protocol texts, and runs each
# for a bounded time on its seed corpus. Exits non-zero when it finds
# something.
#   facetkit/fuzz/run.sh [seconds, default 20] [build folder]
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
exec "$ROOT/scripts/run-native-fuzzers" "$HERE" "${2:-$ROOT/build/fuzz-facetkit}" "${1:-20}" markup podcast_rss protocol
