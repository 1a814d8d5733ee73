#!/usr/bin/env bash
# Remakes the metronome window's picture of the manual: the program on Xvfb with the private
# sound server, the metronome in 7/8 grouped 2+2+3 (beat 2 muted, accents set as the lights
# show them) at 160 eighths a minute with the trainer on, opened from Tool > Metronome > Set,
# started, and its beat flash opened beside it (docs/images/tonavise-metronome-7-8.png).
# Usage: scripts/metronome-screenshots.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
if [ -z "${TONAVISE_SOUND_SERVER:-}" ]; then
  exec scripts/with-sound-server.sh "$0" "$build"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Osmarek"
cat >"$XDG_CONFIG_HOME/Osmarek/Tonavise.ini" <<INI
[Setting]
Tempo=160
MeterBeats=7
MeterUnit=8
MeterAccents="3,0,2,1,2,1,1"
TrainerStep=4
TrainerBars=2
TrainerTarget=200
INI
Xvfb :79 -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=:79
"$build/src/app/tonavise" >/dev/null 2>&1 &
app=$!
sleep 3
main=$(xdotool search --name '^Tonavise' | head -1)
xdotool windowfocus --sync "$main"
# Tool > Metronome > Set (the menu bar's Tool title, then keys)
xdotool mousemove 121 112 click 1
sleep 0.3
xdotool key Down Down Right Return
sleep 1
dialog=$(xdotool search --name '^Metronome$' | head -1)
xdotool windowmove "$dialog" 40 60
xdotool windowfocus --sync "$dialog"
xdotool key alt+s          # Start
sleep 0.5
xdotool key alt+f          # Beat Flash
sleep 0.5
flash=$(xdotool search --name '^Beat Flash$' | head -1)
xdotool windowmove "$flash" 520 60
xdotool windowsize "$flash" 480 320
sleep 1.2
import -window root "$work/shot.png"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
kill "$xvfb" 2>/dev/null || true
wait "$xvfb" 2>/dev/null || true
convert "$work/shot.png" -crop 1000x640+30+40 +repage docs/images/tonavise-metronome-7-8.png
echo "docs/images/tonavise-metronome-7-8.png"
