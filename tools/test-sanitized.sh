#!/usr/bin/env bash
# Builds the program and every test with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-sanitize/ and runs the tests. Any
# sanitizer report ends its test process with a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
build=build-sanitize
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSB_SANITIZE=ON -DSB_WERROR=ON >/dev/null
cmake --build "$build" -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
