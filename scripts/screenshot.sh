#!/usr/bin/env bash
# Remakes the screenshot of the running program in README.md (docs/images/tonavise-live.png):
# the end-to-end test runs the program on Xvfb with the private sound server while A4 with a few
# harmonics plays into it, and leaves the screenshot behind; then the precise tuner reading the
# signal generator at 440 Hz, and the pitch track of a file with vibrato that the player plays.
# Usage: scripts/screenshot.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
nice -n 10 cmake --build "$build" -j2 --target ui_e2e_tests
scripts/with-sound-server.sh ctest --test-dir "$build" -R '^ui.end_to_end$' --output-on-failure
mkdir -p docs/images
cp "$build/tonavise-live.png" docs/images/tonavise-live.png
cp "$build/tonavise-tuner.png" docs/images/tonavise-tuner.png
cp "$build/tonavise-track.png" docs/images/tonavise-track.png
echo "screenshots in docs/images: tonavise-live.png, tonavise-tuner.png, tonavise-track.png"
