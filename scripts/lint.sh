#!/usr/bin/env bash
# The tree's hygiene: every C++ file formatted by .clang-format, and clang-tidy's checks
# (.clang-tidy) clean on src/. Needs a configured build folder for the compile commands
# (default: build). Exits non-zero on the first kind of finding, after listing it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=$(nproc)

files() { git ls-files -- "$@" | grep -E '\.(cpp|h|inl)$'; }

echo "lint: format of $(files src tests bench fuzz | wc -l) files"
if ! files src tests bench fuzz | xargs clang-format --dry-run -Werror 2>/tmp/tonavise-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/tonavise-format.$$ | cut -d: -f1 | sort -u |
    sed 's/^/  not formatted: /'
  rm -f /tmp/tonavise-format.$$
  echo "lint: run clang-format -i on these files" >&2
  exit 1
fi
rm -f /tmp/tonavise-format.$$

echo "lint: clang-tidy on $(files src | grep -c '\.cpp$') source files"
[ -f "$build/compile_commands.json" ] || { echo "lint: no $build/compile_commands.json" >&2; exit 1; }
files src | grep '\.cpp$' |
  xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null >/tmp/tonavise-tidy.$$ || true
if grep -qE ': (error|warning): ' /tmp/tonavise-tidy.$$; then
  grep -E ': (error|warning): ' -A3 /tmp/tonavise-tidy.$$
  rm -f /tmp/tonavise-tidy.$$
  echo "lint: clang-tidy findings above" >&2
  exit 1
fi
rm -f /tmp/tonavise-tidy.$$
echo "lint: clean"
