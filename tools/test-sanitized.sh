#!/usr/bin/env bash
# Builds the program and every test with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-sanitize/ and runs the tests. Any
# sanitizer report ends its test process with a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
# (preset sanitize, build-sanitize/; the preset sets the sanitizers' options)
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize
