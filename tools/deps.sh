#!/usr/bin/env bash
# Installs the build and test dependencies from Debian's packages, when any is
# missing. Needs root (apt-get). clang, its sanitizer runtimes and llvm (the
# symbolizer) serve the sanitized test run and the fuzzers.
set -euo pipefail
packages=(cmake g++ ninja-build libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev libbenchmark-dev python3
  clang libclang-rt-14-dev llvm)
# The render test of `plot`: rsvg-convert draws the SVG, xmllint checks it.
packages+=(librsvg2-bin libxml2-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
