#!/usr/bin/env bash
# Builds Glyfex and starts it on the bundled sample title set. Extra arguments are passed to the program.
# JOBS=N builds with N parallel jobs (default: one per processor).
# The sample runs with a configuration of its own (build/sample/), so trying it leaves the user's settings
# alone: the sample's letters stand wider apart than the default space width, so that configuration sets
# SpaceWidth=12 (Options > Advanced OCR Setup shows it and changes it). The title set is copied there too,
# because a run writes its subtitle map beside the VOB.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Only the program is built: the tests and benchmarks are not needed to try it, and take most of the build.
"$top/scripts/build.sh" --target glyfex
sample="$top/build/sample"
mkdir -p "$sample/config/Glyfex/Glyfex" "$sample/data"
if [ ! -d "$sample/dvd-pal-sans" ]; then
  cp -r "$top/tests/data/dvd-pal-sans" "$sample/dvd-pal-sans"
fi
ini="$sample/config/Glyfex/Glyfex/Glyfex.ini"
if [ ! -f "$ini" ]; then
  printf '[OCR SETTING]\r\nSpaceWidth=12\r\n' > "$ini"
fi
# The matrix taught on the sample goes where the program keeps the user's matrices, so the open dialog finds it.
matrices="$sample/data/Glyfex/Glyfex/ChMatrix"
mkdir -p "$matrices"
cp -n "$top/data/ChMatrix/"*.gxc "$matrices/" 2>/dev/null || true
cd "$sample"
XDG_CONFIG_HOME="$sample/config" XDG_DATA_HOME="$sample/data" exec "$top/build/glyfex" "$@"
