#!/usr/bin/env bash
# Screenshots of the program in Chinese and in Japanese, chosen by LANG as on a user's system:
# the running program on a virtual display (Xvfb) with the private sound server while the
# reference tone plays into it; each of its menus opened, the Set Parameters, metronome and signal
# generator dialogs and the About box (by the screenshot tool tests/ui/Screens.cpp, which starts
# the same application object). Then every dialog in English, at 100 % and, for the two dialogs
# with fixed layouts, at 200 % (QT_SCALE_FACTOR=2): docs/images/tonavise-<dialog>.png and
# tonavise-<dialog>-2x.png.
# Usage: scripts/language-screenshots.sh [build folder, default build] [output folder, default
#        docs/images]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-docs/images}
nice -n 10 cmake --build "$build" -j2 --target tonavise tonavise-cli ui_screens
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for lang in zh_CN ja_JP; do
  short=${lang%%_*}
  config=$work/$short/config
  mkdir -p "$config/Osmarek"
  # The daily web page counts as seen today, so no browser starts at the end.
  printf '[User]\ntoday=%s\n' "$(date +%Y/%m/%d)" > "$config/Osmarek/Tonavise.ini"
  scripts/with-sound-server.sh xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    "$0/src/cli/tonavise-cli" tone --seconds 12 >/dev/null 2>&1 &
    tone=$!
    LANG=$1.UTF-8 LC_ALL= XDG_CONFIG_HOME=$2 "$0/src/app/tonavise" >/dev/null 2>&1 &
    app=$!
    sleep 6
    import -window root "$3"
    kill -TERM "$app"; wait "$app" || true
    kill "$tone" 2>/dev/null || true; wait "$tone" 2>/dev/null || true
  ' "$build" "$lang" "$config" "$out/tonavise-$short.png"
  mogrify -bordercolor black -border 1 -fuzz 2% -trim +repage "$out/tonavise-$short.png"
  xvfb-run -a -s "-screen 0 1920x1080x24" "$build/tests/ui/ui_screens" "$work/$short" "$short" \
    >/dev/null
  # Each menu of the menu bar opened, with the window's top left corner.
  menus=(file function tool view help)
  for i in "${!menus[@]}"; do
    convert "$work/$short/$short-menu$i.png" -crop 760x380+0+236 +repage \
      "$out/tonavise-$short-menu-${menus[$i]}.png"
  done
  cp "$work/$short/$short-set-parameters.png" "$out/tonavise-$short-set-parameters.png"
  cp "$work/$short/$short-metronome.png" "$out/tonavise-$short-metronome.png"
  cp "$work/$short/$short-signal-generator.png" "$out/tonavise-$short-signal-generator.png"
  cp "$work/$short/$short-about.png" "$out/tonavise-$short-about.png"
  echo "screenshots in $out: tonavise-$short*.png"
done

# Every dialog in English; the fixed layouts also at twice the scale.
xvfb-run -a -s "-screen 0 1920x1080x24" "$build/tests/ui/ui_screens" "$work/en" en >/dev/null
for name in set-parameters about pitch-marking pitch-marking-guitar metronome signal-generator \
            open-file open-file-types save-recording player player-overview recorder; do
  cp "$work/en/en-$name.png" "$out/tonavise-$name.png"
done
QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 3840x2160x24" "$build/tests/ui/ui_screens" \
  "$work/en2" en >/dev/null
for name in set-parameters pitch-marking-guitar; do
  cp "$work/en2/en-$name.png" "$out/tonavise-$name-2x.png"
done
echo "screenshots in $out: tonavise-<dialog>.png, tonavise-<dialog>-2x.png"
