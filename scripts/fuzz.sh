#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one.
#   scripts/fuzz.sh --brief        each target for a few seconds on its seed corpus (CI)
#   scripts/fuzz.sh SECONDS        each target for SECONDS, keeping what it finds in fuzz/corpus-run
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f fuzz/CMakeLists.txt ]; then
  echo "no fuzz targets yet"
  exit 0
fi
seconds=10
[ "${1:-}" = "--brief" ] || seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTONAVISE_FUZZ=ON -DTONAVISE_TESTS=OFF -DTONAVISE_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_targets
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="fuzz/corpus/${name#fuzz_}"
  work="fuzz/corpus-run/${name#fuzz_}"
  mkdir -p "$work"
  echo "--- $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 -max_len=65536 "$work" "$seeds" 2>&1 | tail -n 12
done
