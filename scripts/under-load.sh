#!/usr/bin/env bash
# Runs every test of the "threads" and "sound" labels RUNS times in a row (ctest's
# --repeat until-fail: a test stops at its first failure) while a busy loop runs on every core,
# to show that none of them depends on a quiet machine. The sound tests are shared out among
# WORKERS private sound servers that run side by side (each test still plays into a server of
# its own); the tests with a window all go to the first worker, one after another.
#
#   scripts/under-load.sh [--runs N] [--workers W] [--only threads|sound] [--tests REGEX]
#                         [BUILD_DIR]
#
# Defaults: 50 runs, 3 workers, both labels, build/. --tests keeps only the sound tests whose
# names match the (bash) regular expression, so that a long run can be split. Logs go to
# BUILD_DIR/under-load/. The exit code is 0 when every test passed every run.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=50
workers=3
only=""
tests=""
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --workers) workers=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --tests) tests=$2; shift 2 ;;
    -*) echo "usage: $0 [--runs N] [--workers W] [--only threads|sound] [--tests REGEX] [BUILD_DIR]" >&2
        exit 2 ;;
    *) break ;;
  esac
done
build=${1:-build}
logs=$build/under-load
mkdir -p "$logs"

busy=()
stop_busy() {
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap stop_busy EXIT
for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  busy+=($!)
done

status=0
if [ "$only" != sound ]; then
  echo "threads label: $runs runs of each test, $(nproc) busy loops"
  if ! ctest --test-dir "$build" -L threads -LE sound -j "$(nproc)" --output-on-failure \
       --repeat until-fail:"$runs" >"$logs/threads.log" 2>&1; then
    status=1
  fi
  tail -n 4 "$logs/threads.log"
fi

if [ "$only" != threads ]; then
  # Test numbers of the sound label, the windowed ones (ui.*) kept on worker 0.
  mapfile -t listing < <(ctest --test-dir "$build" -N -L sound | sed -n 's/^ *Test *#\([0-9]*\): \([^ ]*\).*/\1 \2/p')
  declare -a share
  k=0
  for line in "${listing[@]}"; do
    number=${line%% *}
    name=${line#* }
    if [ -n "$tests" ] && ! [[ $name =~ $tests ]]; then
      continue
    fi
    if [[ $name == ui.* ]]; then
      share[0]+=",$number"
    else
      k=$(( (k + 1) % workers ))
      share[k]+=",$number"
    fi
  done
  echo "sound label: $runs runs of each of its tests${tests:+ matching $tests} on $workers servers side by side"
  pids=()
  for w in $(seq 0 $((workers - 1))); do
    [ -n "${share[w]:-}" ] || continue
    scripts/with-sound-server.sh ctest --test-dir "$build" -I "0,0,0${share[w]}" \
      --output-on-failure --repeat until-fail:"$runs" >"$logs/sound-$w.log" 2>&1 &
    pids+=($!)
  done
  for w in "${!pids[@]}"; do
    if ! wait "${pids[w]}"; then
      status=1
    fi
    tail -n 4 "$logs/sound-$w.log"
  done
fi
exit $status
