#!/usr/bin/env bash
# Remakes the tuner view's pictures of the README and the manual: the program on Xvfb with the
# private sound server, the tuner shown at its default size beside the scope, while a sine
# plays into it from tonavise-cli: needle and strobe, in tune (440 Hz) and 10 cents sharp
# (442.55 Hz), side by side (docs/images/tonavise-tuner-view.png), and the whole window on a
# 1280 x 720 screen, 10 cents sharp (docs/images/tonavise-tuner-1280x720.png).
# Usage: scripts/tuner-screenshots.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
if [ -z "${TONAVISE_SOUND_SERVER:-}" ]; then
  exec scripts/with-sound-server.sh "$0" "$build"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/cli/tonavise-cli" sine -o "$work/440.wav" --freq 440 --seconds 8 --amplitude 12000 >/dev/null
"$build/src/cli/tonavise-cli" sine -o "$work/442.55.wav" --freq 442.55 --seconds 8 \
  --amplitude 12000 >/dev/null

shoot() {  # screen mode frequency output
  export XDG_CONFIG_HOME="$work/config"
  mkdir -p "$XDG_CONFIG_HOME/Osmarek"
  printf '[Setting]\nTunerShown=1\nTunerMode=%s\n' "$2" >"$XDG_CONFIG_HOME/Osmarek/Tonavise.ini"
  Xvfb :78 -screen 0 "$1x24" >/dev/null 2>&1 &
  local xvfb=$!
  sleep 1
  DISPLAY=:78 "$build/src/app/tonavise" >/dev/null 2>&1 &
  local app=$!
  sleep 3
  "$build/src/cli/tonavise-cli" play "$work/$3.wav" >/dev/null 2>&1 &
  local play=$!
  sleep 3
  DISPLAY=:78 import -window root "$4"
  kill "$play" "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null || true
}

for mode in 0 1; do
  for hz in 440 442.55; do
    shoot 1280x800 "$mode" "$hz" "$work/shot.png"
    # The dock, found by its title bar at the window's right.
    convert "$work/shot.png" -crop 312x480+932+160 +repage "$work/dock-$mode-$hz.png"
  done
done
convert "$work/dock-0-440.png" "$work/dock-0-442.55.png" "$work/dock-1-440.png" \
  "$work/dock-1-442.55.png" +append docs/images/tonavise-tuner-view.png
shoot 1280x720 0 442.55 "$work/shot.png"
convert "$work/shot.png" -trim +repage docs/images/tonavise-tuner-1280x720.png
echo "docs/images/tonavise-tuner-view.png docs/images/tonavise-tuner-1280x720.png"
