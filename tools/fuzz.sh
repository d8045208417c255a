#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for SECONDS
# (default 60). Fails on any crash, leak, sanitizer report, timeout or
# out-of-memory; the input that caused it is kept in build-fuzz/findings/.
# Prints the executions and the coverage each target reached.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(field_reader_fuzz line_reader_fuzz service_reader_fuzz compile_fuzz compiled_reader_fuzz lsp_fuzz)

tools/deps.sh
build=build-fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target make_fuzz_seeds "${targets[@]}"

seeds="$build/seeds"
rm -rf "$seeds"
"$build/fuzz/make_fuzz_seeds" "$seeds"
mkdir -p "$build/findings"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
summary=()
failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"   # grows from run to run on this machine
  mkdir -p "$corpus" "$seeds/$t"
  committed=()
  [[ -d fuzz/corpus/$t ]] && committed=("fuzz/corpus/$t")
  log="$build/$t.log"
  echo "== $t: ${seconds}s"
  status=0
  "$build/fuzz/$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
    -dict=fuzz/keywords.dict -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
    "$corpus" "$seeds/$t" "${committed[@]}" >"$log" 2>&1 || status=$?
  execs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || true)
  last=$(grep -E '^#[0-9]+[[:space:]].*cov: ' "$log" | tail -1 || true)
  cov=$(grep -oE 'cov: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
  ft=$(grep -oE 'ft: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
  units=$(grep -oE 'corp: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
  if ((status != 0)); then
    failed=1
    echo "!! $t failed (status $status); the log follows, the input is in $build/findings/"
    grep -vE '^#[0-9]+ ' "$log" | tail -60
  fi
  summary+=("$(printf '%-20s %12s %8s %8s %8s %s' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${units:-?}" \
    "$( ((status == 0)) && echo ok || echo FAILED)")")
done

printf '%-20s %12s %8s %8s %8s %s\n' target executions edges features corpus result
printf '%s\n' "${summary[@]}"
exit $failed
