#!/usr/bin/env bash
# Installs the build and test dependencies from Debian's packages, when any is
# missing. Needs root (apt-get). clang, its sanitizer runtimes and llvm (the
# symbolizer) serve the sanitized test run and the fuzzers, clang-format the
# format check; rsvg-convert and xmllint the render test of `plot`.
set -euo pipefail
"$(dirname "$0")/apt-install.sh" cmake g++ ninja-build libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev \
  libbenchmark-dev python3 clang clang-format libclang-rt-14-dev llvm librsvg2-bin libxml2-utils
# The viewer page's browser tests: headless Chromium driven through WebDriver.
"$(dirname "$0")/apt-install.sh" chromium chromium-driver python3-selenium
# `watch --serve`: the web server library.
"$(dirname "$0")/apt-install.sh" libcpp-httplib-dev pkg-config
# The language server's client test: headless Neovim.
"$(dirname "$0")/apt-install.sh" neovim
