#!/usr/bin/env bash
# Builds Glyfex and starts it. Extra arguments are passed to the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
cd "$top"
exec "$top/build/glyfex" "$@"
