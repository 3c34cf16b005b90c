#!/usr/bin/env bash
# Builds the fuzz targets with clang (fuzz-build/) and runs each for the given seconds.
# Usage: fuzz/run.sh SECONDS [target ...]   (default: every *_fuzz target)
# A target's seed corpus is fuzz/corpus/<target>/ when present; findings go to fuzz-build/findings/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:?usage: fuzz/run.sh SECONDS [target ...]}
shift
dir="$top/fuzz-build"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGLYFEX_FUZZ=ON -DGLYFEX_TESTS=OFF -DGLYFEX_BENCH=OFF
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$top"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"
mkdir -p "$dir/findings"
status=0
for t in "${targets[@]}"; do
  work="$dir/corpus/$t"
  mkdir -p "$work"
  seeds=()
  [ -d "$top/fuzz/corpus/$t" ] && seeds=("$top/fuzz/corpus/$t")
  echo "== $t for ${secs}s"
  if ! "$dir/$t" -max_total_time="$secs" -artifact_prefix="$dir/findings/$t-" "$work" "${seeds[@]}" \
       >"$dir/$t.log" 2>&1; then
    echo "   $t FOUND A FAULT: see $dir/$t.log and $dir/findings/"
    status=1
  else
    tail -n 1 "$dir/$t.log"
  fi
done
exit $status
