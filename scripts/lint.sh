#!/usr/bin/env bash
# The tree's hygiene: every C++ file formatted by .clang-format, the engine's folders including
# only along their allowed arrows, and clang-tidy's checks (.clang-tidy) clean on src/. Needs a configured build folder for the compile commands
# (default: build). Exits non-zero on the first kind of finding, after listing it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=$(nproc)

files() { git ls-files -- "$@" | grep -E '\.(cpp|h|inl)$'; }

# A check that cannot run is a failure, never a clean tree: each tool must answer --version.
for tool in clang-format clang-tidy; do
  if ! "$tool" --version >/dev/null 2>&1; then
    echo "lint: $tool cannot run (scripts/setup.sh installs it)" >&2
    exit 1
  fi
done

echo "lint: format of $(files src tests bench fuzz | wc -l) files"
if ! files src tests bench fuzz | xargs clang-format --dry-run -Werror 2>/tmp/tonavise-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/tonavise-format.$$ | cut -d: -f1 | sort -u |
    sed 's/^/  not formatted: /'
  rm -f /tmp/tonavise-format.$$
  echo "lint: run clang-format -i on these files" >&2
  exit 1
fi
rm -f /tmp/tonavise-format.$$

# The engine's folders use only what their libraries link (core <- dsp, audiofile, device <- live).
python3 scripts/check-engine-layers.py

echo "lint: clang-tidy on $(files src | grep -c '\.cpp$') source files"
[ -f "$build/compile_commands.json" ] || { echo "lint: no $build/compile_commands.json" >&2; exit 1; }
# Findings make clang-tidy exit 1 (its warnings are errors), which xargs reports as 123; a
# clang-tidy that crashes or cannot be started makes xargs report 124 to 127. Either way the
# run fails, with what clang-tidy said.
status=0
files src | grep '\.cpp$' |
  xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet >/tmp/tonavise-tidy.$$ \
    2>/tmp/tonavise-tidy-err.$$ || status=$?
if grep -qE ': (error|warning): ' /tmp/tonavise-tidy.$$; then
  grep -E ': (error|warning): ' -A3 /tmp/tonavise-tidy.$$
  echo "lint: clang-tidy findings above" >&2
  status=1
elif [ "$status" -ne 0 ]; then
  tail -n 20 /tmp/tonavise-tidy-err.$$ >&2
  echo "lint: clang-tidy did not run to its end (xargs status $status)" >&2
fi
rm -f /tmp/tonavise-tidy.$$ /tmp/tonavise-tidy-err.$$
[ "$status" -eq 0 ] || exit 1
echo "lint: clean"
