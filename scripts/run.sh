#!/usr/bin/env bash
# Sets everything up, builds, and starts Tonavise.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
exec build/src/app/tonavise "$@"
