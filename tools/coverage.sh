#!/usr/bin/env bash
# Measures what the tests and the fuzz corpora reach: builds everything with
# clang's source-based coverage in build-cov/, runs the whole test suite,
# replays every committed fuzz corpus and the seeds made from the embedded
# documents, and writes
#   build-cov/report/index.html   lines and branches of every source file
#   build-cov/summary.txt         the one-screen summary printed at the end
# The summary gives lines and branches reached per folder: src/reading,
# src/compile and src/model, and the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
build=build-cov
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DSB_COVERAGE=ON -DSB_WERROR=ON >/dev/null
cmake --build "$build" -j2

profiles="$build/profiles"
rm -rf "$profiles" "$build/report"
mkdir -p "$profiles/tests"
# One profile per process: the tests start the program many times.
export LLVM_PROFILE_FILE="$PWD/$profiles/tests/%p-%m.profraw"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 600 >"$build/ctest.log" || {
  tail -40 "$build/ctest.log"
  exit 1
}
grep -E 'tests passed|tests failed' "$build/ctest.log"

# The targets the build defines now: a binary left in build-cov/ by a target
# since renamed holds older code, and its profile garbles the report
# ("functions have mismatched data").
mapfile -t targets < <(grep -oE '^sb_fuzz_target\([a-z_]+' fuzz/CMakeLists.txt | cut -d'(' -f2)
seeds="$build/seeds"
rm -rf "$seeds"
"$build/fuzz/make_fuzz_seeds" "$seeds"
for t in "${targets[@]}"; do
  inputs=()
  [[ -d fuzz/corpus/$t ]] && inputs+=("fuzz/corpus/$t")
  [[ -d $seeds/$t ]] && inputs+=("$seeds/$t")
  ((${#inputs[@]})) || continue
  printf '%-22s ' "$t"
  LLVM_PROFILE_FILE="$PWD/$profiles/$t/%p-%m.profraw" "$build/fuzz/$t" "${inputs[@]}"
done

# Tests that end the program on purpose (a kill, a file-size limit) can leave
# a torn profile behind; those are skipped, not counted against the run.
llvm-profdata merge -sparse --failure-mode=all "$profiles"/*/*.profraw -o "$build/coverage.profdata"
objects=("$build/scenario_tests" -object "$build/scenario-builder")
for t in "${targets[@]}"; do objects+=(-object "$build/fuzz/$t"); done
# Only the program's own sources: not the tests, the fuzz harnesses or the
# system's headers.
filter=(-ignore-filename-regex='(^|/)(tests|fuzz|benchmarks)/|^/usr/')
llvm-cov show "${objects[@]}" -instr-profile="$build/coverage.profdata" -format=html -show-branches=count \
  -show-line-counts-or-regions -output-dir="$build/report" "${filter[@]}" 2>"$build/llvm-cov.log"
llvm-cov export "${objects[@]}" -instr-profile="$build/coverage.profdata" -summary-only "${filter[@]}" \
  >"$build/coverage.json" 2>>"$build/llvm-cov.log"
python3 tools/coverage_summary.py "$build/coverage.json" | tee "$build/summary.txt"
# llvm-cov leaves out a function whose profile does not match its code: one
# name with other code in several binaries, such as every harness's entry
# point and main.
grep -h 'mismatched data' "$build/llvm-cov.log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u | sed 's/^/coverage: /' || true
echo "report: $build/report/index.html"
