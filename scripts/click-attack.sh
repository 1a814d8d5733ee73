#!/usr/bin/env bash
# Whether the metronome's first click is heard whole: plays `tonavise-cli metronome` RUNS times
# into a private sound server, records the server's monitor, and compares the first click with
# the next accented click from its onset. A first click whose attack was cut starts later in the
# click's waveform ("starts 5.3 ms into the reference click" for 6 ms missing); a whole one
# starts at 0.00 ms.
#
#   scripts/click-attack.sh [RUNS] [BACK_END]      # defaults: 8, pulse
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-8}
backend=${2:-pulse}
if [ -z "${TONAVISE_SOUND_SERVER_CTL:-}" ]; then
  exec scripts/with-sound-server.sh "$0" "$runs" "$backend"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/attack.py" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
x = struct.unpack("<%dh" % (len(data) // 2), data)
# Onsets: the first sample over the threshold after at least 100 ms below it.
onsets, quiet = [], 4410
for i, v in enumerate(x):
    if abs(v) > 2000:
        if quiet >= 4410:
            onsets.append(i)
        quiet = 0
    else:
        quiet += 1
if len(onsets) < 3:
    sys.exit("only %d clicks recorded" % len(onsets))
ref = onsets[4] if len(onsets) > 4 else onsets[2]  # a later accent (meter 4: every fourth)
n = 1500
a = x[onsets[0]:onsets[0] + n]
best = (-2.0, 0)
for c in range(600):
    b = x[ref + c:ref + c + n]
    r = sum(p * q for p, q in zip(a, b)) / ((sum(p * p for p in a) * sum(q * q for q in b)) ** 0.5 + 1e-9)
    best = max(best, (r, c))
print("first click starts %.2f ms into the reference click (correlation %.3f)" % (best[1] / 44.1, best[0]))
PY
for _ in $(seq "$runs"); do
  parec --raw --format=s16le --rate=44100 --channels=1 -d tonavise_null.monitor >"$work/rec.raw" &
  rec=$!
  sleep 0.5
  build/src/cli/tonavise-cli --sound "$backend" metronome --meter 4 --tempo 120 --seconds 2.6 >/dev/null
  sleep 0.3
  kill "$rec"
  wait "$rec" 2>/dev/null || true
  python3 "$work/attack.py" "$work/rec.raw" || true
done
