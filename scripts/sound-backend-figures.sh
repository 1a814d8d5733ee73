#!/usr/bin/env bash
# Figures of each sound back end (the sound server's own and PortAudio), side by side:
#   - start: on a freshly started private sound server (scripts/with-sound-server.sh, one per
#     run), the time from the start of `tonavise-cli listen` to its first analysed block (process
#     ms) and from the engine's start to it (the first row's time_s): with the server idle, while
#     paplay plays A4, and while paplay plays it with a 100 ms latency; then once more on a server
#     that has run for 2.5 s. A fresh server's null sink renders its first two seconds in one
#     period, so the first block of either back end comes about two seconds after the server's
#     start, whatever the client asks for.
#   - cost: share of one core of `tonavise-cli listen`, per thread and in all, over 10 s while
#     paplay plays A4 (from /proc/PID/task/*/schedstat).
#   scripts/sound-backend-figures.sh [RUNS per start case, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
cli=build/src/cli/tonavise-cli
[ -x "$cli" ] || cmake --build build -j2 --target tonavise-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" sine -o "$work/a4.wav" --freq 440 --seconds 30 --amplitude 2300 >/dev/null

start_run() {  # backend case(idle|paplay|paplay100|warm) -> "process_ms engine_s"
  WORK=$work CLI=$cli BACKEND=$1 CASE=$2 scripts/with-sound-server.sh bash -c '
    seconds=4
    case $CASE in
      paplay) paplay "$WORK/a4.wav" & sleep 0.3 ;;
      paplay100) paplay --latency-msec=100 "$WORK/a4.wav" & sleep 0.3 ;;
      warm) paplay --latency-msec=100 "$WORK/a4.wav" & sleep 2.5; seconds=2 ;;
    esac
    start=$(date +%s%N)
    TONAVISE_SOUND=$BACKEND "$CLI" listen --seconds "$seconds" 2>/dev/null | {
      read -r _header
      read -r row
      end=$(date +%s%N)
      echo "$(( (end - start) / 1000000 )) $(echo "$row" | cut -d, -f2)"
      cat >/dev/null
    }
    jobs -p | xargs -r kill 2>/dev/null || true'
}

start_row() {  # backend case: one line of the start table
  local results=()
  for _ in $(seq "$runs"); do results+=("$(start_run "$1" "$2")"); done
  printf "%-10s %-8s %s\n" "$1" "$2" "$(printf '%s; ' "${results[@]// / / }")"
}

printf "%-10s %-8s %s\n" "back end" "server" "start to first block: process ms / engine s (runs)"
for backend in pulse portaudio; do
  for case_name in idle paplay paplay100; do start_row "$backend" "$case_name"; done
done
for backend in pulse portaudio; do start_row "$backend" warm; done

echo "share of one core while listening, over 10 s:"
for backend in pulse portaudio; do
  WORK=$work CLI=$cli BACKEND=$backend scripts/with-sound-server.sh bash -c '
    paplay "$WORK/a4.wav" & sleep 0.5
    TONAVISE_SOUND=$BACKEND "$CLI" listen --seconds 14 >/dev/null 2>&1 &
    pid=$!
    sleep 3
    declare -A before
    for t in /proc/$pid/task/*; do before[${t##*/}]=$(cut -d" " -f1 "$t/schedstat"); done
    sleep 10
    total=0
    for t in /proc/$pid/task/*; do
      ns=$(( $(cut -d" " -f1 "$t/schedstat") - ${before[${t##*/}]:-0} ))
      total=$((total + ns))
      [ $ns -gt 1000000 ] && awk -v n="$(cat "$t/comm")" -v ns=$ns \
        "BEGIN { printf \"  %-9s thread %-16s %.2f %%\n\", \"$BACKEND\", n, ns / 1e8 }"
    done
    awk -v ns=$total "BEGIN { printf \"  %-9s process %.2f %%\n\", \"$BACKEND\", ns / 1e8 }"
    wait $pid
    jobs -p | xargs -r kill 2>/dev/null || true'
done
