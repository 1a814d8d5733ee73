#!/usr/bin/env bash
# Compares the standard and the precise fundamental estimates on a corpus made here: single
# notes of piano, guitars, bass, strings, voices, brass and woodwinds across each instrument's
# range, rendered from the General MIDI sound font with fluidsynth (some detuned by pitch bend),
# tones made by sox, and tones of the evaluation's own (sine, sawtooth, square, triangle, weak
# and missing fundamental, vibrato, sawtooth in noise, silence, noise, clicks). Prints per group:
# right key %, median and 90th percentile of |error| in cents, gross and octave errors.
#
#   scripts/pitch-eval.sh [--subset] [--check] [--markdown] [--tool PATH] [--dir DIR]
#
# --subset    a few notes of a few instruments (the CTest test pitch.eval_subset, < 60 s)
# --check     exit 1 when the precise estimate misses its targets
# --markdown  the tables as Markdown (docs/pitch-estimate.md holds the full run)
# --tool      the built tonavise_pitch_eval (otherwise built here in build/)
# --dir       keep the corpus in DIR (otherwise a temporary folder, removed at the end)
# Exit 77 (skipped) when fluidsynth, its sound font or sox is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

subset=0
args=()
tool=""
dir=""
while [ $# -gt 0 ]; do
  case "$1" in
    --subset) subset=1; args+=(--subset) ;;
    --check | --markdown) args+=("$1") ;;
    --tool) tool=$2; shift ;;
    --dir) dir=$2; shift ;;
    *) echo "pitch-eval: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

if [ -z "$tool" ]; then
  scripts/setup.sh
  cmake -S . -B build -G Ninja >/dev/null
  nice -n 10 cmake --build build --target tonavise_pitch_eval >/dev/null
  tool=build/tests/pitch/tonavise_pitch_eval
fi

font=/usr/share/sounds/sf2/FluidR3_GM.sf2
if ! command -v fluidsynth >/dev/null || ! command -v sox >/dev/null || [ ! -f "$font" ]; then
  echo "pitch-eval: fluidsynth, fluid-soundfont-gm or sox missing (scripts/setup.sh installs them)"
  exit 77
fi

if [ -z "$dir" ]; then
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
fi
mkdir -p "$dir"
rm -f "$dir/manifest.tsv"

# name, General MIDI program, lowest and highest note, step (MIDI note numbers)
if [ "$subset" = 1 ]; then
  instruments=(
    "piano 0 21 108 29"
    "nylon-guitar 24 40 76 18"
    "cello 42 36 72 18"
    "choir-aahs 52 48 76 14"
    "trumpet 56 55 79 12"
    "flute 73 60 96 18"
  )
  sox_notes=(110 880)
else
  instruments=(
    "piano 0 21 108 3"
    "nylon-guitar 24 40 84 3"
    "steel-guitar 25 40 84 4"
    "clean-electric-guitar 27 40 86 4"
    "acoustic-bass 32 28 67 3"
    "violin 40 55 100 3"
    "cello 42 36 76 3"
    "contrabass 43 28 60 3"
    "string-ensemble 48 36 96 4"
    "choir-aahs 52 48 79 3"
    "voice-oohs 53 48 79 3"
    "trumpet 56 55 82 3"
    "trombone 57 40 72 3"
    "tuba 58 28 58 3"
    "french-horn 60 34 77 3"
    "alto-sax 65 49 81 3"
    "oboe 68 58 91 3"
    "bassoon 70 34 72 3"
    "clarinet 71 50 91 3"
    "flute 73 60 96 3"
  )
  sox_notes=(27.5 41.2 65.41 110 164.81 261.63 440 698.46 1108.73 1760 2793.83 4186.01)
fi

for entry in "${instruments[@]}"; do
  read -r name program lo hi step <<<"$entry"
  "$tool" midi --name "$name" --program "$program" --notes "$lo:$hi:$step" --dir "$dir"
  fluidsynth -ni -q -R 0 -C 0 -g 0.5 -r 44100 -T wav -F "$dir/$name.wav" "$font" \
    "$dir/$name.mid" >/dev/null 2>&1
done
for wave in sine square sawtooth triangle; do
  for hz in "${sox_notes[@]}"; do
    sox -n -r 44100 -b 16 -c 1 "$dir/sox-$wave-$hz.wav" synth 2 "$wave" "$hz" vol 0.5
    printf 'sox %s\t%s\t0\t2\t%s\t%s\n' "$wave" "$dir/sox-$wave-$hz.wav" "$hz" "$hz" \
      >>"$dir/manifest.tsv"
  done
done

"$tool" run --manifest "$dir/manifest.tsv" "${args[@]}"
