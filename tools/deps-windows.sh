#!/usr/bin/env bash
# Installs what the Windows build and its tests need from Debian's packages,
# when any is missing: the mingw-w64 cross compiler (posix threads), Wine to
# run the program, Xvfb and xdotool to see and press its windows, ImageMagick
# for the screenshots. Needs root (apt-get).
set -euo pipefail
"$(dirname "$0")/apt-install.sh" --no-recommends g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool imagemagick
