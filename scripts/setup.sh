#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and benchmarking Glyfex needs.
# Fonts: DejaVu covers Latin, Greek and Cyrillic; WenQuanYi Micro Hei (1.6 MB) adds Chinese, Japanese and
# Korean, which the Subtitles window draws for such subtitles and its tests draw too. Liberation Sans (metric
# twin of a common subtitle face) is the second typeface the HD VobSub tests and benchmark draw with.
# Idempotent: when everything is already installed it only checks and returns.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config make
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  ffmpeg dvdauthor libdvdread-dev mkvtoolnix
  libfreetype-dev libfontconfig-dev
  python3 python3-aeidon python3-pil
  xvfb xauth x11-apps imagemagick openbox x11-utils xdotool
  desktop-file-utils
  util-linux
  libtesseract-dev tesseract-ocr-eng
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-wqy-microhei fonts-liberation2
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "setup: done"
