#!/usr/bin/env bash
# Builds the fuzz targets with clang (fuzz-build/) and runs each for the given seconds.
# Usage: fuzz/run.sh [--jobs N] [--parallel M] SECONDS [target ...]   (default: every *_fuzz target)
#   --jobs N      libFuzzer processes per target (-jobs/-workers; default 1): the machine may be shared
#   --parallel M  targets run at the same time (default 1); at most N x M fuzzing processes in all
# A target's seed corpus is fuzz/corpus/<target>/ when present; what a run learns goes to
# fuzz-build/corpus/<target>/, faults to fuzz-build/findings/. Undefined behaviour and leaks stop a run like
# a crash. Keep a finding's input in fuzz/corpus/<target>/ once it is fixed: ctest replays every corpus.
# JOBS=N builds the targets with N parallel jobs (default: jobs x parallel, the limit of the fuzzing).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=1
parallel=1
while [ $# -gt 0 ]; do
  case "$1" in
    --jobs) jobs=${2:?--jobs needs a number}; shift 2 ;;
    --parallel) parallel=${2:?--parallel needs a number}; shift 2 ;;
    *) break ;;
  esac
done
secs=${1:?usage: fuzz/run.sh [--jobs N] [--parallel M] SECONDS [target ...]}
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
# Unless told otherwise the build keeps to the same limit as the fuzzing: jobs x parallel processes.
cmake --build "$dir" -j "${JOBS:-$((jobs * parallel))}" --target "${targets[@]}"
mkdir -p "$dir/findings"

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen

# One target's run; its result line goes to fuzz-build/<target>.result.
# -max_len reaches past the largest unit (65,536 bytes) and a run of several sectors around it. The memory
# limit is libFuzzer's default of 2 GB (a single allocation above it is a fault too): a reader that takes
# more than that for an input of at most 200 KB would get the program killed on a smaller machine, so such
# an input is a finding, not noise.
fuzz_one() {
  local t=$1 work="$dir/corpus/$1" seeds=()
  mkdir -p "$work"
  [ -d "$top/fuzz/corpus/$t" ] && seeds=("$top/fuzz/corpus/$t")
  local parallelism=()
  [ "$jobs" -gt 1 ] && parallelism=(-jobs="$jobs" -workers="$jobs")
  echo "== $t for ${secs}s with $jobs job(s)"
  # With several jobs libFuzzer writes fuzz-<n>.log into the current folder: one folder per target.
  mkdir -p "$dir/logs/$t"
  if (cd "$dir/logs/$t" && "$dir/$t" -max_total_time="$secs" -max_len=200000 -timeout=60 -rss_limit_mb=2048 \
       -artifact_prefix="$dir/findings/$t-" "${parallelism[@]}" "$work" "${seeds[@]}") >"$dir/$t.log" 2>&1; then
    echo "$t: no fault; $(grep -E '^#[0-9]+' "$dir/$t.log" | tail -n 1)" >"$dir/$t.result"
  else
    echo "$t: FOUND A FAULT: see $dir/$t.log and $dir/findings/" >"$dir/$t.result"
  fi
  cat "$dir/$t.result"
}

running=0
for t in "${targets[@]}"; do
  fuzz_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait
status=0
for t in "${targets[@]}"; do
  grep -q "FOUND A FAULT" "$dir/$t.result" && status=1
done
exit $status
