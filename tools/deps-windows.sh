#!/usr/bin/env bash
# Installs what the Windows build and its tests need from Debian's packages,
# when any is missing: the mingw-w64 cross compiler (posix threads), Wine to
# run the program, Xvfb and xdotool to see and press its windows, ImageMagick
# for the screenshots. Needs root (apt-get).
set -euo pipefail
packages=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
