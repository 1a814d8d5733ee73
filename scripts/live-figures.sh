#!/usr/bin/env bash
# Figures of the running program with live capture, on a virtual display (Xvfb) with the private
# sound server (scripts/with-sound-server.sh), while paplay plays A4 into the server:
#   - tonavise_live_figures: start-up to the first drawn spectrum, the share of one core in each
#     mode, pictures per second, peak memory, and the time from closing the window to the end;
#   - the program itself (build/src/app/tonavise) in its start mode, measured from outside over
#     the same stretch: share of one core, wake-ups a second (voluntary context switches of the
#     interface thread and of all threads, from /proc/PID/task/*/status) and peak memory, then
#     SIGTERM and the time until the process has ended.
#   scripts/live-figures.sh [SECONDS per mode, default 30] [BUILD FOLDER ...]
# With several build folders (say one of an earlier commit, made with git worktree), each is
# measured in turn under the same server and tone, so that their figures compare.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
builds=("${@:-build}")
build=build
if [ ! -x "$build/bench/tonavise_live_figures" ] || [ ! -x "$build/src/app/tonavise" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  nice -n 10 cmake --build "$build" -j2 --target tonavise_live_figures tonavise tonavise-cli
fi
for b in "${builds[@]}"; do
  [ -x "$b/bench/tonavise_live_figures" ] && [ -x "$b/src/app/tonavise" ] ||
    { echo "$b: no tonavise_live_figures or tonavise built there" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/cli/tonavise-cli" sine -o "$work/a4.wav" --freq 440 --seconds $(((seconds * 10 + 30) * ${#builds[@]} + 60)) \
  --amplitude 2300 >/dev/null

export SECONDS_PER_MODE=$seconds WORK=$work BUILDS="${builds[*]}"

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
  first=1
  for BUILD in $BUILDS; do
  echo "=== $BUILD"
  [ $first = 1 ] || echo "--- tonavise_live_figures (the program in-process)"
  "$BUILD/bench/tonavise_live_figures" "$SECONDS_PER_MODE"
  if [ $first = 1 ]; then wait $probe; fi
  first=0

  echo "--- $BUILD/src/app/tonavise, start mode (pitch scale), measured from outside"
  export XDG_CONFIG_HOME="$WORK/config-${BUILD//\//_}"
  "$BUILD/src/app/tonavise" 2>/dev/null & app=$!
  sleep 5
  ticks() { awk "{print \$14 + \$15}" /proc/$app/stat; }
  # Voluntary switches: how often a thread went to sleep, so how often it was woken.
  wakes() { awk "/^voluntary_ctxt_switches/ { n += \$2 } END { print n }" "$@" 2>/dev/null; }
  hz=$(getconf CLK_TCK)
  t0=$(ticks); s0=$(date +%s.%N)
  u0=$(wakes /proc/$app/task/$app/status); p0=$(wakes /proc/$app/task/*/status)
  sleep "$SECONDS_PER_MODE"
  u1=$(wakes /proc/$app/task/$app/status); p1=$(wakes /proc/$app/task/*/status)
  t1=$(ticks); s1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" -v s="$s0" -v e="$s1" -v hz="$hz" \
    "BEGIN { printf \"  share of one core: %.2f %%\\n\", 100 * (b - a) / hz / (e - s) }"
  awk -v a="$u0" -v b="$u1" -v c="$p0" -v d="$p1" -v s="$s0" -v e="$s1" \
    "BEGIN { printf \"  wake-ups a second: interface thread %.0f, process %.0f\\n\", (b - a) / (e - s), (d - c) / (e - s) }"
  echo "  threads: $(ls /proc/$app/task | wc -l)"
  awk "/VmHWM/ { printf \"  peak memory (VmHWM): %.1f MiB\\n\", \$2 / 1024 }" /proc/$app/status
  q0=$(date +%s.%N)
  kill -TERM "$app"; wait "$app" || true
  q1=$(date +%s.%N)
  awk -v s="$q0" -v e="$q1" "BEGIN { printf \"  SIGTERM to the end of the process: %.3f s\\n\", e - s }"
  grep -q "^Tempo=120" "$XDG_CONFIG_HOME/Osmarek/Tonavise.ini" && echo "  settings written at exit"
  done
  echo "load average after: $(cut -d" " -f1-3 /proc/loadavg)"
'
