#!/usr/bin/env bash
# Sets everything up and runs every test: the normal build (warnings are errors), the format
# and clang-tidy checks, the transform tests on an emulated
# processor without AVX, the build with AddressSanitizer and UndefinedBehaviorSanitizer, the
# threaded tests under ThreadSanitizer, and each fuzz target briefly on its seed corpus. The
# end-to-end sound tests (CTest label "sound") run in each build under a private PulseAudio
# server that scripts/with-sound-server.sh starts for them and stops afterwards, also when they
# fail.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
step() { printf '\n=== %s ===\n' "$*"; }
sound_tests() {  # build folder [more ctest arguments]
  local dir=$1
  shift
  scripts/with-sound-server.sh ctest --test-dir "$dir" --output-on-failure -L sound "$@"
}
# The metronome's millisecond timing and the practice player's gapless stretched and looped
# sound are measured in the optimised build; a sanitizer build slows the threads too much for a
# 5 ms tolerance (or a start's few milliseconds) to mean anything, and its sound server mainloop can
# miss the 100 ms the output keeps queued, which the gap checks then count. The seek's heard
# start is read from 40 ms of sound right after the new play's onset: under ThreadSanitizer the
# PortAudio stream restarted by the seek sometimes leaves a gap there (about 1 run in 10), and
# a gap anywhere is a click to the fades' bend check; a B set 0.2 s ahead of what is heard is
# behind it once a slowed player thread takes the command.
timing_only='MetronomeClicksAtTempo120AreHalfASecondApart|EveryMetronomeStartIsHeardAtOnce|MetronomeAt120WithTwoClicksABeat|TheHeardBeatStepsWithTheOutputsClock|SlowerKeepsThePitchAndTransposedKeepsTheLength|ALoopOfOneSecondRepeatsWithoutAGapOrAClick|ASeekWhilePlayingGoesOnFromTheNewPlace|StartsPausesSeeksAndStopsFadeWithoutAClick|ALateBEndsTheFirstPassThere'


step "build and test (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" -LE sound
sound_tests build

step "hygiene: format and clang-tidy"
scripts/lint.sh build

step "transform tests on a processor without AVX (qemu, Westmere): the baseline kernels"
qemu-x86_64 -cpu Westmere build/tests/engine/engine_tests --gtest_filter='Fft*' --gtest_brief=1 \
  2>&1 | grep -v "TCG doesn't support"

step "build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTONAVISE_SANITIZE=address,undefined \
      -DTONAVISE_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE sound
sound_tests build-asan -E "$timing_only"
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

step "threaded tests under ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONAVISE_SANITIZE=thread \
      -DTONAVISE_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -L threads -LE sound -j "$jobs"
# die_after_fork=0: the device-choice run starts pactl from the running program to load a second
# sink, and the child only executes pactl.
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$PWD/tests/tsan-sound.supp" \
  sound_tests build-tsan -E "$timing_only"

step "fuzz targets on their seed corpora"
scripts/fuzz.sh --brief

step "all tests passed"
