#!/usr/bin/env bash
# HD OCR benchmark: 1920x1080 VobSubs drawn at 40, 48, 56 and 64 pixels in DejaVu Sans and Liberation Sans
# (white text, 2-pixel black outline, 32 subtitles each), made by make_hd_vobsub, each read by ocr_bench.
# Usage: bench/hd_ocr.sh [BUILD-FOLDER [OCR_BENCH-OPTIONS...]]   (the repository's build/ without an
#        argument; from any folder), e.g.
#        bench/hd_ocr.sh build --sensibility 985
# make_hd_vobsub writes a map of where each character lies beside each VobSub, so ocr_bench teaches
# as a user does: each asked glyph is answered with what it covers (--aligned-teacher: from the text).
# The space width is set as a user sets it in Advanced OCR Setup for such a disc: a seventh of the text
# size, in the pixels of the half-size picture recognition reads (6, 7, 8, 9).
# For each case it prints the case's name and ocr_bench's last line.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
shift || true
for tool in make_hd_vobsub ocr_bench; do
  if [ ! -x "$build/bench/$tool" ]; then
    echo "hd_ocr.sh: $build/bench/$tool is missing; build it with" >&2
    echo "  $top/scripts/build.sh --target $tool" >&2
    echo "or name the build folder that has it: $0 BUILD-FOLDER" >&2
    exit 2
  fi
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for family in "DejaVu Sans" "Liberation Sans"; do
  for size in 40 48 56 64; do
    space=$(( (size + 3) / 7 ))
    name="$(echo "$family" | tr -d ' ')-$size"
    if ! QT_QPA_PLATFORM=offscreen "$build/bench/make_hd_vobsub" "$out" "$name" --family "$family" --size "$size" \
      --outline 2 --count 32 2>"$out/make.log"; then
      echo "hd_ocr.sh: make_hd_vobsub failed for $name:" >&2
      cat "$out/make.log" >&2
      exit 1
    fi
    echo "$name: $("$build/bench/ocr_bench" --space-width "$space" "$@" "$out/$name.idx" "$out/$name.srt" | tail -1)"
  done
done
