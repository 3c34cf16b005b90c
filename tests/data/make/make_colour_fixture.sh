#!/bin/sh
# Make the yellow-on-blue fixture with a black shadow, whose colours the automatic detection gets wrong:
#   tests/data/make/make_colour_fixture.sh [TOOL]
# TOOL is the shared fixture maker (make-dvd-fixture). Only the VobSub copy and the true text are kept.
set -e
tool=${1:-../shared/tools/make-dvd-fixture}
out=$(mktemp -d)
"$tool" --lines 20 --font DejaVuSansCondensed.ttf --size 30 --outline 2 --fill yellow --outline-colour blue \
    --shadow "2, 2" --lang fr "$out" colours
dest=$(dirname "$0")/../dvd-pal-condensed-colours
mkdir -p "$dest"
cp "$out/colours/vobsub.idx" "$out/colours/vobsub.sub" "$out/colours/gt.srt" "$dest/"
rm -rf "$out"
