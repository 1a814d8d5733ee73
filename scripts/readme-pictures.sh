#!/usr/bin/env bash
# Remakes the scope pictures of README.md (docs/images/) with `tonavise-cli render` from the
# sample recordings the build makes: three seconds of A4 (build/sample-a4.wav), and the pitch
# track of a C major scale with one flat note (build/sample-scale.wav).
# Usage: scripts/readme-pictures.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target tonavise-cli sample sample_scale
cli=$build/src/cli/tonavise-cli
sample=$build/sample-a4.wav
out=docs/images
mkdir -p "$out"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

"$cli" render "$sample" --mode wave --at 1.0 --level 100 --zoom 1 -o "$out/scope-wave.png"
"$cli" render "$sample" --mode frequency --at 1.0 --log --level 100 --span 2000 \
  -o "$out/scope-frequency.png"
"$cli" render "$sample" --mode pitch --at 2.0 --three-d --log --level 100 --notation solmisation \
  --colors A4=0,C4=1,E4=2,G4=4 -o "$out/scope-pitch-3d.png"
"$cli" track "$build/sample-scale.wav" --method precise --width 900 --height 420 \
  -o "$out/track-scale.png"
echo "pictures in $out"
