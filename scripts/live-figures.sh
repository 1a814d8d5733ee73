#!/usr/bin/env bash
# Figures of the running program with live capture, on a virtual display (Xvfb) with the private
# sound server (scripts/with-sound-server.sh), while paplay plays A4 into the server:
#   - tonavise_live_figures: start-up to the first drawn spectrum, the share of one core in each
#     mode, pictures per second, peak memory, and the time from closing the window to the end;
#   - the program itself (build/src/app/tonavise) in its start mode, measured from outside over
#     the same stretch: share of one core and peak memory from /proc, then SIGTERM and the time
#     until the process has ended.
#   scripts/live-figures.sh [SECONDS per mode, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build
if [ ! -x "$build/bench/tonavise_live_figures" ] || [ ! -x "$build/src/app/tonavise" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  nice -n 10 cmake --build "$build" -j2 --target tonavise_live_figures tonavise tonavise-cli
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/cli/tonavise-cli" sine -o "$work/a4.wav" --freq 440 --seconds $((seconds * 6 + 60)) \
  --amplitude 2300 >/dev/null

export SECONDS_PER_MODE=$seconds WORK=$work BUILD=$build

scripts/with-sound-server.sh xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  set -euo pipefail
  paplay "$WORK/a4.wav" & tone=$!
  trap "kill $tone 2>/dev/null || true" EXIT
  echo "cores: $(nproc); load average before: $(cut -d" " -f1-3 /proc/loadavg)"
  echo "--- tonavise_live_figures (the program in-process)"
  # The start-up is bounded by the server: its null sink renders in blocks as long as the lowest
  # latency any stream asked for when the block began (2 s on a fresh server), and a new capture of
  # its monitor hears nothing before the block under way ends, whatever the program. parec,
  # started with the program, shows that bound.
  ( t0=$(date +%s.%N)
    parec --latency-msec=10 --channels=1 --format=s16le 2>/dev/null | head -c 64 >/dev/null || true
    awk -v s="$t0" -v e="$(date +%s.%N)" \
      "BEGIN { printf \"parec started with the program, to its first sound: %.2f s\\n\", e - s }"
  ) & probe=$!
  "$BUILD/bench/tonavise_live_figures" "$SECONDS_PER_MODE"
  wait $probe

  echo "--- build/src/app/tonavise, start mode (pitch scale), measured from outside"
  export XDG_CONFIG_HOME="$WORK/config"
  "$BUILD/src/app/tonavise" 2>/dev/null & app=$!
  sleep 5
  ticks() { awk "{print \$14 + \$15}" /proc/$app/stat; }
  hz=$(getconf CLK_TCK)
  t0=$(ticks); s0=$(date +%s.%N)
  sleep "$SECONDS_PER_MODE"
  t1=$(ticks); s1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" -v s="$s0" -v e="$s1" -v hz="$hz" \
    "BEGIN { printf \"  share of one core: %.2f %%\\n\", 100 * (b - a) / hz / (e - s) }"
  awk "/VmHWM/ { printf \"  peak memory (VmHWM): %.1f MiB\\n\", \$2 / 1024 }" /proc/$app/status
  q0=$(date +%s.%N)
  kill -TERM "$app"; wait "$app" || true
  q1=$(date +%s.%N)
  awk -v s="$q0" -v e="$q1" "BEGIN { printf \"  SIGTERM to the end of the process: %.3f s\\n\", e - s }"
  grep -q "^Tempo=120" "$XDG_CONFIG_HOME/Osmarek/Tonavise.ini" && echo "  settings written at exit"
  echo "load average after: $(cut -d" " -f1-3 /proc/loadavg)"
'
