#!/usr/bin/env bash
# Builds the native fuzzers of basekit's parsers and runs each for a bounded
# time on its seed corpus. Exits non-zero when a fuzzer finds something.
#   basekit/fuzz/run.sh [seconds per fuzzer, default 20]
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
exec "$ROOT/scripts/run-native-fuzzers" "$HERE" "$ROOT/build/fuzz-native" "${1:-20}" gzip webparse
