#!/usr/bin/env bash
# HD OCR benchmark: 1920x1080 VobSubs drawn at 40, 48, 56 and 64 pixels in DejaVu Sans and Liberation Sans
# (white text, 2-pixel black outline, 32 subtitles each), made by make_hd_vobsub, each read by ocr_bench.
# Usage: bench/hd_ocr.sh [BUILD-FOLDER [OCR_BENCH-OPTIONS...]]   (build without an argument), e.g.
#        bench/hd_ocr.sh build --sensibility 985
# The space width is set as a user sets it in Advanced OCR Setup for such a disc: a seventh of the text
# size, in the pixels of the half-size picture recognition reads (6, 7, 8, 9).
# For each case it prints the case's name and ocr_bench's last line.
set -euo pipefail
build=${1:-build}
shift || true
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for family in "DejaVu Sans" "Liberation Sans"; do
  for size in 40 48 56 64; do
    space=$(( (size + 3) / 7 ))
    name="$(echo "$family" | tr -d ' ')-$size"
    QT_QPA_PLATFORM=offscreen "$build/bench/make_hd_vobsub" "$out" "$name" --family "$family" --size "$size" \
      --outline 2 --count 32 2>/dev/null
    echo "$name: $("$build/bench/ocr_bench" --space-width "$space" "$@" "$out/$name.idx" "$out/$name.srt" | tail -1)"
  done
done
