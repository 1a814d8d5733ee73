#!/usr/bin/env bash
# Prints, as a Markdown table, what every sound command of tonavise-cli does when the sound
# server dies for good while it runs, when the server restarts while it runs, and when its
# target is bad (a device or file that is not there): the exit code and what it said on stderr.
#
#   scripts/outage-table.sh [BUILD_DIR] [BACK_END]     # BACK_END: auto (default), pulse, portaudio
#
# Runs under scripts/with-sound-server.sh by itself (it needs to stop and start the server).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
backend=${2:-auto}
if [ -z "${TONAVISE_SOUND_SERVER_CTL:-}" ]; then
  exec scripts/with-sound-server.sh "$0" "$build" "$backend"
fi
cli=("$PWD/$build/src/cli/tonavise-cli" --sound "$backend")
ctl=$TONAVISE_SOUND_SERVER_CTL
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"${cli[@]}" sine -o "$work/a4.wav" --seconds 12 >/dev/null

# One command: its exit code and its stderr on one line. $1: what happens to the server
# (none, dies, restarts), then the command's arguments.
run() {
  local event=$1
  shift
  "${cli[@]}" "$@" >"$work/out" 2>"$work/err" </dev/null &
  local pid=$!
  case $event in
    dies) sleep 3; "$ctl" stop ;;
    restarts) sleep 3; "$ctl" stop; sleep 2; "$ctl" start ;;
  esac
  local code=0
  wait "$pid" || code=$?
  [ "$event" = dies ] && "$ctl" start
  local said
  said=$(sed -e 's/|/\\|/g' -e 's/\t/ /g' "$work/err" | awk 'NR > 1 { printf " ⏎ " } { printf "%s", $0 }')
  printf '%s: `%s`\n' "$code" "${said:-(nothing)}"
}

row() {  # name, arguments for the outages, arguments with a bad target
  local name=$1 ok=$2 bad=$3
  # shellcheck disable=SC2086
  printf '| %s | %s | %s | %s |\n' "$name" \
    "$(run dies $ok)" "$(run restarts $ok)" \
    "$(run none $bad)"
}

echo "Back end: $backend"
echo
echo "| command | server dies for good: exit, stderr | server restarts: exit, stderr | bad target: exit, stderr |"
echo "|---|---|---|---|"
row listen "listen --seconds 10" "listen --seconds 2 --input nosuch"
row tone "tone --seconds 10" "tone --seconds 2 --output nosuch"
row metronome "metronome --meter 4 --tempo 120 --seconds 10" "metronome --meter 4 --tempo 120 --seconds 2 --output nosuch"
row generate "generate --left 440,50,sine --seconds 10" "generate --left 440,50,sine --seconds 2 --output nosuch"
row play "play $work/a4.wav --seconds 10" "play $work/missing.wav"
row record "record -o $work/r.wav --seconds 10" "record -o $work/no/such/folder/r.wav --seconds 2"
"$ctl" stop
printf '| devices | %s | (not applicable) | (not applicable) |\n' "$(run none devices)"
"$ctl" start
