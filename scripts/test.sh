#!/usr/bin/env bash
# Builds Glyfex and runs the whole test suite. Usage: scripts/test.sh [--sanitize]
# With --sanitize the suite runs in the AddressSanitizer + UBSan build and stops at the first report.
# JOBS=N builds and runs the tests with N parallel jobs (default: one per processor).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build"
if [ "${1:-}" = "--sanitize" ]; then
  dir="$top/build-asan"
  "$top/scripts/build.sh" --sanitize
else
  "$top/scripts/build.sh"
fi
cd "$dir"
ctest --output-on-failure -j "${JOBS:-$(nproc)}" --timeout 900
