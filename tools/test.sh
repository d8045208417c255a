#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DSB_WERROR=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2 | tee build/ctest.log
tools/test-windows.sh  # the Windows build under Wine; skips without mingw-w64 outside CI
