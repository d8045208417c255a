#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default | tee build/ctest.log
tools/test-windows.sh  # the Windows build under Wine; skips without mingw-w64 outside CI
