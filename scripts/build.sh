#!/usr/bin/env bash
# Configures and builds Glyfex. Usage: scripts/build.sh [--sanitize] [--target NAME] [extra cmake -D options]
# The normal build goes to build/, the sanitizer build (AddressSanitizer + UBSan) to build-asan/.
# --target builds that target alone (the program: glyfex); without it everything is built, tests included.
# JOBS=N builds with N parallel jobs (default: one per processor), e.g. on a machine shared with others.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build"
opts=()
target=()
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize)
      dir="$top/build-asan"
      # Only what the sanitizer's test pass runs: the normal build replays the fuzz corpora, and fuzz/run.sh
      # runs the fuzz targets themselves under the same sanitizers.
      opts+=(-DGLYFEX_SANITIZE=ON -DGLYFEX_BENCH=OFF -DGLYFEX_FUZZ_REPLAY=OFF -DCMAKE_BUILD_TYPE=Debug)
      shift ;;
    --target)
      target=(--target "${2:?usage: scripts/build.sh [--sanitize] [--target NAME] [cmake options]}")
      shift 2 ;;
    *) break ;;
  esac
done
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" "${generator[@]}" "${opts[@]}" "$@"
elif [ $# -gt 0 ]; then
  cmake -S "$top" -B "$dir" "$@"
fi
cmake --build "$dir" -j "${JOBS:-$(nproc)}" "${target[@]}"
