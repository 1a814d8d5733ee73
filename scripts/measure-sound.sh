#!/usr/bin/env bash
# Measures the live engine with a private sound server (scripts/with-sound-server.sh):
#   - CPU time of capture + analysis per second of live sound, on the virtual device's clock and
#     through each real back end, the sound server's own and PortAudio (while another process
#     plays the reference tone into the server);
#   - the delay from UM_TONE_START to the first captured block that holds the tone, and from
#     UM_OUTPUT_STOP to silence, over ten rounds.
# Uses the build in build/ (made if missing).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -x build/bench/tonavise_live_bench ] || [ ! -x build/src/cli/tonavise-cli ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  nice -n 10 cmake --build build -j2 --target tonavise_live_bench tonavise-cli
fi

scripts/with-sound-server.sh bash -c '
  set -euo pipefail
  bench=build/bench/tonavise_live_bench
  echo "--- capture + analysis, virtual device on a clock"
  "$bench" --benchmark_filter=VirtualClock
  echo "--- capture + analysis through each back end, with the tone playing from another process"
  build/src/cli/tonavise-cli tone --seconds 60 >/dev/null &
  tone=$!
  trap "kill $tone 2>/dev/null || true; wait $tone 2>/dev/null || true" EXIT
  "$bench" --benchmark_filter="LiveCaptureAndAnalysis_(Pulse|PortAudio)"
  kill "$tone"; wait "$tone" 2>/dev/null || true
  trap - EXIT
  echo "--- tone start and stop through each back end"
  "$bench" --benchmark_filter=ToneStartAndStop
'
