#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tonavise needs.
# Idempotent: packages already present are not touched, and apt is not called when nothing is missing.
set -euo pipefail

PACKAGES=(
  # toolchain, and the format and static checks (scripts/lint.sh)
  g++ cmake ninja-build pkg-config git ccache clang-format clang-tidy
  # engine
  portaudio19-dev libasound2-dev libmpg123-dev libpulse-dev librubberband-dev
  # user interface, pictures, translations
  qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-image-formats-plugins libgl-dev
  libgif-dev fonts-dejavu-core qt6-translations-l10n
  # installation checks: the desktop entry and the AppStream metainfo
  desktop-file-utils appstream
  # the Debian package (cpack -G DEB): dependencies worked out by dpkg-shlibdeps
  dpkg-dev file
  # command-line tool
  libcli11-dev
  # tests, benchmarks, fuzzing, sanitizers
  libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev clang libclang-rt-14-dev
  # benchmark summary and instruction counts (scripts/bench.sh); a processor without AVX for
  # the transform's baseline code (scripts/test.sh)
  python3 valgrind qemu-user
  # test sounds and the private sound server used by the end-to-end tests
  sox lame mpg123 pulseaudio pulseaudio-utils libasound2-plugins
  # the pitch evaluation's corpus (scripts/pitch-eval.sh): notes rendered from a General MIDI
  # sound font
  fluidsynth fluid-soundfont-gm
  # a display for screenshots of the running program, with fonts for its Chinese and Japanese
  # texts
  xvfb xauth x11-apps imagemagick xdotool fonts-wqy-microhei fonts-ipafont-gothic
  # what a screen reader hears: the accessibility bus and its Python client (the tuner's test)
  dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
