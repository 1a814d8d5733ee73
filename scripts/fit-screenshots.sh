#!/usr/bin/env bash
# Screenshots of View > Fit Picture to Window: the running program on a virtual display (Xvfb)
# with the private sound server while the reference tone plays into it, the pitch scale fitted to
# a 1280 x 720 screen and to a 3840 x 2160 one at 200 % (QT_SCALE_FACTOR=2):
# docs/images/tonavise-fit-1280x720.png and tonavise-fit-3840x2160.png.
# Usage: scripts/fit-screenshots.sh [build folder, default build] [output folder, default
#        docs/images]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-docs/images}
nice -n 10 cmake --build "$build" -j2 --target tonavise tonavise-cli
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

shot() {  # screen scale name
  local config=$work/$3/config
  mkdir -p "$config/Osmarek"
  # The daily web page counts as seen today, so no browser starts at the end.
  printf '[User]\ntoday=%s\n[Setting]\nFitPicture=1\nKeepAspect=1\n' "$(date +%Y/%m/%d)" \
    > "$config/Osmarek/Tonavise.ini"
  scripts/with-sound-server.sh xvfb-run -a -s "-screen 0 $1x24" bash -c '
    "$0/src/cli/tonavise-cli" tone --seconds 12 >/dev/null 2>&1 &
    tone=$!
    QT_SCALE_FACTOR=$1 LANG=C.UTF-8 XDG_CONFIG_HOME=$2 "$0/src/app/tonavise" >/dev/null 2>&1 &
    app=$!
    sleep 7
    import -window root "$3"
    kill -TERM "$app"; wait "$app" || true
    kill "$tone" 2>/dev/null || true; wait "$tone" 2>/dev/null || true
  ' "$build" "$2" "$config" "$out/tonavise-fit-$3.png"
  echo "$out/tonavise-fit-$3.png"
}
shot 1280x720 1 1280x720
shot 3840x2160 2 3840x2160
