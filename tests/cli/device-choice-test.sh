#!/usr/bin/env bash
# tonavise-cli's device choice on the private sound server (scripts/with-sound-server.sh): a
# second sink "second", a source "second_mic" that hears it, and the monitors. The chosen
# input is heard and the chosen output is played into; a monitor hears what another program
# plays; the streams carry their names; an unknown device and a server that refuses the
# connection end with a clear message and exit code 1.
#
#   device-choice-test.sh TONAVISE-CLI
set -uo pipefail
cli=$1
if [ "${TONAVISE_SOUND_SERVER:-}" != 1 ]; then
  echo "no private sound server: run through scripts/with-sound-server.sh"
  exit 77
fi
tmp=$(mktemp -d)
modules=()
cleanup() {
  for m in "${modules[@]}"; do pactl unload-module "$m" 2>/dev/null || true; done
  jobs -p | xargs -r kill 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
a4_rows() { grep -c ',48,A4,' "$1" || true; }

modules+=("$(pactl load-module module-null-sink sink_name=second \
  sink_properties=device.description=Second)")
modules+=("$(pactl load-module module-remap-source master=second.monitor \
  source_name=second_mic source_properties=device.description=Second-microphone)")

export TONAVISE_SOUND=pulse
"$cli" devices >"$tmp/devices" || fail "devices exits with $?"
grep -qP '^input\ttonavise_null.monitor\tMonitor of .*\tdefault$' "$tmp/devices" ||
  fail "the default monitor is listed as 'Monitor of …' with the default mark"
grep -qP '^input\tsecond_mic\tSecond-microphone\t$' "$tmp/devices" || fail "second_mic listed"
grep -qP '^input\tsecond.monitor\tMonitor of Second\t$' "$tmp/devices" || fail "second.monitor"
grep -qP '^output\tsecond\tSecond\t$' "$tmp/devices" || fail "the second sink is listed"
grep -qP '^output\ttonavise_null\t.*\tdefault$' "$tmp/devices" || fail "the default sink"

# The tone goes into "second" only: the chosen input hears it, the default input does not.
"$cli" tone --key 48 --output second --seconds 6 >/dev/null &
"$cli" listen --input second_mic --seconds 3 >"$tmp/chosen" &
listener=$!
"$cli" listen --seconds 3 >"$tmp/default" &
sleep 1.5
pactl list sink-inputs >"$tmp/sink-inputs"
pactl list source-outputs >"$tmp/source-outputs"
wait "$listener" || fail "listen --input exits with $?"
wait
[ "$(a4_rows "$tmp/chosen")" -ge 5 ] || fail "listen --input second_mic hears A4: $(cat "$tmp/chosen")"
[ "$(a4_rows "$tmp/default")" -eq 0 ] || fail "the default input hears no A4"
grep -q 'media.name = "Tonavise — reference tone and metronome"' "$tmp/sink-inputs" ||
  fail "the tone's stream name: $(grep media.name "$tmp/sink-inputs")"
grep -q 'application.icon_name = "org.example.tonavise"' "$tmp/sink-inputs" || fail "icon name"
[ "$(grep -c 'media.name = "Tonavise — microphone"' "$tmp/source-outputs")" -eq 2 ] ||
  fail "the microphones' stream names: $(grep media.name "$tmp/source-outputs")"

# Another program plays into "second"; its monitor hears it (A4 again, from a file).
"$cli" sine --freq 440 --seconds 6 -o "$tmp/a4.wav" 2>/dev/null
paplay --device=second "$tmp/a4.wav" &
"$cli" listen --input second.monitor --seconds 3 >"$tmp/monitor" || fail "monitor listen"
[ "$(a4_rows "$tmp/monitor")" -ge 5 ] || fail "the monitor hears paplay: $(cat "$tmp/monitor")"
wait

# Bad input.
"$cli" listen --input nowhere --seconds 1 >/dev/null 2>"$tmp/err"
[ $? -eq 1 ] || fail "an unknown input exits with 1"
grep -q 'no input device named "nowhere"' "$tmp/err" && grep -q 'second_mic' "$tmp/err" ||
  fail "the unknown input's message lists the devices: $(cat "$tmp/err")"
"$cli" tone --output nowhere --seconds 1 >/dev/null 2>/dev/null
[ $? -eq 1 ] || fail "an unknown output exits with 1"

# A server that refuses the connection: the device error once, the input waited for during the
# time asked, exit 1 when nothing came.
for backend in pulse auto; do
  start=$(date +%s%N)
  PULSE_SERVER=unix:$tmp/refusing TONAVISE_SOUND=$backend \
    timeout 20 "$cli" listen --seconds 3 >/dev/null 2>"$tmp/err"
  code=$?
  ms=$((($(date +%s%N) - start) / 1000000))
  [ $code -eq 1 ] || fail "$backend: a refused connection exits with 1, not $code"
  [ "$(grep -c '^Error = ' "$tmp/err")" -eq 1 ] || fail "$backend: one device error: $(cat "$tmp/err")"
  [ $ms -lt 5000 ] || fail "$backend: the refused connection took $ms ms"
done

[ $failures -eq 0 ] && echo "device choice: all passed"
exit $((failures > 0))
