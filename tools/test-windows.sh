#!/usr/bin/env bash
# Cross-builds the Windows program into build-win (preset windows) and runs its tests under
# Wine on a virtual display, against the Linux program in build/. Outside CI
# it skips when the cross compiler is missing (tools/deps-windows.sh installs
# it and the rest); with CI=true that is a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: the Windows build needs mingw-w64 (tools/deps-windows.sh)"
    exit 1
  fi
  echo "skipped: Windows build and tests (no mingw-w64; tools/deps-windows.sh installs it)"
  exit 0
fi
cmake --preset windows >/dev/null
cmake --build --preset windows
tests/windows/run_wine_tests.sh build build-win
# The console twin's own tests, through Wine as the cross build's emulator
# (the Wine prefix is the one the script above made).
ctest --preset windows
