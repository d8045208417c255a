#!/usr/bin/env bash
# Times whole runs of the program against the cost of writing its output:
# the start-up run of the embedded scenario and `compile` of a generated
# 1,000,000 m route, next to `cp` of the same output bytes and a helper that
# writes each file with one write() call. Then the micro-benchmarks.
#
#   tools/bench.sh [--reps N] [--also LABEL=BIN ...] [--no-micro]
#
# --also times another build of the program in the same run (for example a
# copy of the binary from before a change), so both sets of figures come from
# the same machine state.
set -euo pipefail
cd "$(dirname "$0")/.."

reps=7
micro=1
also=()
while [ $# -gt 0 ]; do
  case "$1" in
    --reps) reps="$2"; shift 2 ;;
    --also) also+=(--also "$2"); shift 2 ;;
    --no-micro) micro=0; shift ;;
    *) echo "usage: tools/bench.sh [--reps N] [--also LABEL=BIN ...] [--no-micro]" >&2; exit 2 ;;
  esac
done

tools/deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target scenario-builder run_timed write_once sb_micro >/dev/null

inputs="$(mktemp -d -t sb-bench-inputs-XXXXXX)"
trap 'rm -rf "$inputs"' EXIT
python3 tools/gen_route.py "$inputs"

python3 tools/bench.py --program build-bench/scenario-builder --tools build-bench/benchmarks \
  --inputs "$inputs" --reps "$reps" "${also[@]}"

if [ "$micro" = 1 ]; then
  echo
  build-bench/benchmarks/sb_micro --benchmark_min_time=0.5
fi

# decompile and diff of the same route against its compile.
echo
python3 tools/bench_author.py --program build-bench/scenario-builder --reps "$reps"

# watch --serve: from a save to the open page showing it, in headless Chromium.
echo
py=/usr/bin/python3; [ -x "$py" ] || py=python3
"$py" tools/bench_watch.py build-bench/scenario-builder --reps "$reps"
