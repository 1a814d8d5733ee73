#!/usr/bin/env bash
# Builds in Release and runs the benchmarks, then prints the figures:
#   - our 32768-point transform (real input, as the analysis uses it, and complex input) beside
#     FFTW's complex and real-input transforms on the same data, medians and ratios;
#   - one whole analysis pass; AnalyzeClip on a 60 s clip as a multiple of real time;
#   - the precise pitch estimate per pass, and the whole pass with and without it;
#   - loading a 3-minute MP3 against the mpg123 command-line decoder writing a WAV.
# Every case runs REPETITIONS times (default 9) in random order in one process; the figures are
# medians. The load average is printed before and after, since the machine may be shared.
#
#   scripts/bench.sh [REPETITIONS]
#   scripts/bench.sh --callgrind     instruction counts of the transforms (valgrind), which do
#                                    not depend on the load
#
# Generated sound files are kept in $TONAVISE_BENCH_DIR (default /tmp/tonavise-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTONAVISE_TESTS=OFF >/dev/null
nice -n 10 cmake --build "$build" --target tonavise_bench tonavise_fft_count

if [ "${1:-}" = "--callgrind" ]; then
  if [ ! -f "${TONAVISE_BENCH_DIR:-/tmp/tonavise-bench}/fftw-wisdom" ]; then
    # FFTW's measured plans, saved by the benchmark, so that the counts use the same plans.
    "$build/bench/tonavise_bench" --benchmark_filter='Fftw_(Complex|RealToComplex)/' \
      --benchmark_min_time=0.05 >/dev/null 2>&1
  fi
  out=$(mktemp)
  valgrind --tool=callgrind --callgrind-out-file="$out" "$build/bench/tonavise_fft_count" 2>/dev/null
  callgrind_annotate --inclusive=yes "$out" | python3 scripts/bench_summary.py --callgrind
  rm -f "$out"
  exit 0
fi

reps=${1:-9}
json="$build/bench-results.json"
echo "cores: $(nproc); load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/tonavise_bench" --benchmark_repetitions="$reps" \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_out="$json" --benchmark_out_format=json >/dev/null
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 scripts/bench_summary.py "$json"
