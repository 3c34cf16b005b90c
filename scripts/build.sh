#!/usr/bin/env bash
# Configures and builds Glyfex. Usage: scripts/build.sh [--sanitize] [extra cmake -D options]
# The normal build goes to build/, the sanitizer build (AddressSanitizer + UBSan) to build-asan/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build"
opts=()
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir="$top/build-asan"
  opts+=(-DGLYFEX_SANITIZE=ON -DGLYFEX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" "${generator[@]}" "${opts[@]}" "$@"
elif [ $# -gt 0 ]; then
  cmake -S "$top" -B "$dir" "$@"
fi
cmake --build "$dir" -j "$(nproc)"
