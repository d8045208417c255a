#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs them. Fails on any
# crash, leak, sanitizer report, timeout or out-of-memory; the input that
# caused it is kept in build-fuzz/findings/. Prints executions, executions per
# second and the coverage each target reached.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]      each target for SECONDS (default 60), one at a time
#   tools/fuzz.sh --hours H [TARGET...]      a campaign: H hours shared among the targets, each
#                                            run by parallel workers on every core; at its end the
#                                            corpus is merged and minimised into fuzz/corpus/TARGET
#
# Every run starts from the committed corpus (fuzz/corpus/TARGET), the seeds
# made from the embedded documents, and what earlier runs on this machine
# found (build-fuzz/corpus/TARGET).
set -euo pipefail
cd "$(dirname "$0")/.."
hours=""
if [[ "${1:-}" == "--hours" ]]; then
  hours=${2:?--hours needs a number}
  shift 2
else
  seconds=${1:-60}
  shift || true
fi
targets=("$@")
((${#targets[@]})) || targets=(field_reader_fuzz line_reader_fuzz service_reader_fuzz compile_fuzz
  compiled_reader_fuzz inspect_text_fuzz inspect_json_fuzz svg_plot_fuzz decompile_fuzz lsp_wire_fuzz lsp_edit_fuzz)

tools/deps.sh
build=build-fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target make_fuzz_seeds "${targets[@]}"

seeds="$build/seeds"
rm -rf "$seeds"
"$build/fuzz/make_fuzz_seeds" "$seeds"
mkdir -p "$build/findings"

# A freed block waits in quarantine (to catch its use after free) until a
# few megabytes more are freed; see quarantine_mb below. Far smaller than
# the default (256 MB), so memory is reused instead of being taken fresh from
# the system (a page fault per page), which made every run several times
# slower.
# No stack trace is taken for each allocation and free (malloc_context_size=0):
# it was a fifth of the time of the targets that allocate most, and it only
# adds where a block was allocated and freed to a report. Replay a finding
# with ASAN_OPTIONS unset to get those stacks: build-fuzz/fuzz/TARGET FILE.
# Freed memory stays with the allocator (allocator_release_to_os_interval_ms=-1)
# instead of going back to the system every few seconds, after which every
# block reused faulted its pages in again.
asan_options=detect_leaks=1:abort_on_error=1:symbolize=1:malloc_context_size=0:allocator_release_to_os_interval_ms=-1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
workers=$(nproc)
if [[ -n "$hours" ]]; then
  seconds=$(awk -v h="$hours" -v n="${#targets[@]}" 'BEGIN { s = int(h * 3600 / n); print (s < 10 ? 10 : s) }')
  echo "campaign: ${hours} h, ${seconds} s per target, ${workers} workers"
fi

# Inputs that read compiled files back are a header, a track and a profile;
# larger ones only repeat records and slow every run.
max_len() {
  case $1 in
    compiled_reader_fuzz) echo 16384 ;;
    # The drawing costs per cell: a few hundred cells at most.
    svg_plot_fuzz) echo 8192 ;;
    # The report's JSON is some ten objects per cell: a whole header (about
    # 3 kB) and a track of some 60 cells, every kind of cell among them.
    inspect_text_fuzz | inspect_json_fuzz) echo 4096 ;;
    # A seed of 8 bytes and at most sixteen edits of 5 bytes.
    decompile_fuzz) echo 88 ;;
    # An editing session costs per line of its text: 2 kB is some fifty
    # lines, room for every section and kind of entry (the hand-made cases
    # are the embedded descriptions in parts), at 1,000 sessions a second
    # instead of 600 to 900 with 8 kB.
    lsp_edit_fuzz) echo 2048 ;;
    *) echo 8192 ;;
  esac
}

# The quarantine holds more than any one input of the target frees, so a block
# freed while an input runs is never handed out again before the input ends:
# every use after free within an input is caught, as with any larger
# quarantine (each input starts from nothing; state kept across inputs is
# allocated once). Measured over the committed corpora, the most one input
# allocates is 1.2 MB for lsp_edit_fuzz and 2.4 MB for decompile_fuzz. A
# smaller quarantine keeps the blocks handed out again in the processor's
# cache: those two targets ran 11 % faster with 4 and 8 MB than with 32.
# The other targets keep 32 MB: some inputs of theirs (long routes with a
# profile) free more.
quarantine_mb() {
  case $1 in
    lsp_edit_fuzz) echo 4 ;;
    decompile_fuzz) echo 8 ;;
    *) echo 32 ;;
  esac
}

# libFuzzer lets inputs grow slowly from the longest in the corpus; the
# decompile target's corpus of seeds alone (8 bytes) kept it from trying any
# damage for minutes. Its inputs are short anyway: all lengths at once.
extra_options() {
  case $1 in
    decompile_fuzz) echo -len_control=0 ;;
  esac
}

summary=()
failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"   # grows from run to run on this machine
  mkdir -p "$corpus" "$seeds/$t"
  committed=()
  [[ -d fuzz/corpus/$t ]] && committed=("fuzz/corpus/$t")
  log="$build/$t.log"
  options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len="$(max_len "$t")"
    -dict=fuzz/keywords.dict -print_final_stats=1 -artifact_prefix="$build/findings/$t-" $(extra_options "$t"))
  echo "== $t: ${seconds}s"
  export ASAN_OPTIONS="$asan_options:quarantine_size_mb=$(quarantine_mb "$t")"
  status=0
  if [[ -n "$hours" ]]; then
    # -fork runs the workers as child processes, merges what each finds into
    # the first corpus directory and goes on after nothing but a finding.
    "$build/fuzz/$t" "${options[@]}" -fork="$workers" -ignore_crashes=0 -ignore_timeouts=0 -ignore_ooms=0 \
      "$corpus" "$seeds/$t" "${committed[@]}" >"$log" 2>&1 || status=$?
  else
    "$build/fuzz/$t" "${options[@]}" "$corpus" "$seeds/$t" "${committed[@]}" >"$log" 2>&1 || status=$?
  fi
  # The fork mode logs its totals on its own lines.
  execs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1 || true)
  [[ -n "$execs" ]] || execs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#' || true)
  last=$(grep -E '^#[0-9]+:?[[:space:]].*cov: ' "$log" | tail -1 || true)
  cov=$(grep -oE 'cov: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
  ft=$(grep -oE 'ft: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
  units=$(grep -oE 'corp: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || true)
  rate=$( [[ -n "$execs" ]] && echo $((execs / seconds)) || echo "?")
  if ((status != 0)); then
    failed=1
    echo "!! $t failed (status $status); the log follows, the input is in $build/findings/"
    grep -vE '^#[0-9]+ ' "$log" | tail -60
  elif [[ -n "$hours" ]]; then
    # Minimise everything reached into the committed corpus: the fewest
    # inputs that take every edge reached. Counting how often each edge is
    # taken as well kept three to six times as many files.
    merged="$build/merged/$t"
    rm -rf "$merged"
    mkdir -p "$merged"
    "$build/fuzz/$t" -merge=1 -use_counters=0 -max_len="$(max_len "$t")" "$merged" "$corpus" "$seeds/$t" \
      "${committed[@]}" >"$build/$t.merge.log" 2>&1
    # Hand-made cases (named for what they hold, not by a hash) stay.
    if [[ -d fuzz/corpus/$t ]]; then
      find "fuzz/corpus/$t" -type f -regextype posix-extended ! -regex '.*/[0-9a-f]{40}' -exec cp {} "$merged/" \;
    fi
    rm -rf "fuzz/corpus/$t"
    mv "$merged" "fuzz/corpus/$t"
    echo "   fuzz/corpus/$t: $(find "fuzz/corpus/$t" -type f | wc -l) files"
  fi
  summary+=("$(printf '%-22s %12s %8s %8s %8s %8s %s' "$t" "${execs:-?}" "$rate" "${cov:-?}" "${ft:-?}" \
    "${units:-?}" "$( ((status == 0)) && echo ok || echo FAILED)")")
done

printf '%-22s %12s %8s %8s %8s %8s %s\n' target executions exec/s edges features corpus result
printf '%s\n' "${summary[@]}"
exit $failed
