#!/usr/bin/env bash
# Measures the live engine with a private sound server (scripts/with-sound-server.sh):
#   - CPU time of capture + analysis per second of live sound, on the virtual device's clock and
#     through each real back end, the sound server's own and PortAudio (while another process
#     plays the reference tone into the server);
#   - the delay from the tone's start to the first captured block that holds the tone, and from
#     the output's stop to silence, over ten rounds;
#   - the tuner: steady readings a second, and the time from a new note's capture to the first
#     reading that names it, on sine tones A4 and C5 taking turns every half second.
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
  echo "--- the tuner on a tone stepping between A4 and C5"
  step=$(mktemp --suffix=.wav)
  python3 - "$step" <<PY
import array, math, sys, wave
rate = 44100
samples = array.array("h", bytes(2 * rate * 40))
phase = 0.0
for i in range(len(samples)):
    phase += 2 * math.pi * (440.0 if (2 * i // rate) % 2 == 0 else 523.2511306) / rate
    samples[i] = int(8000 * math.sin(phase))
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1); out.setsampwidth(2); out.setframerate(rate)
    out.writeframes(samples.tobytes())
PY
  paplay "$step" &
  player=$!
  trap "kill $player 2>/dev/null || true; rm -f $step" EXIT
  TONAVISE_STEP_TONE=1 "$bench" --benchmark_filter=TunerNamesANewNote
'
