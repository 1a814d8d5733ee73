#!/usr/bin/env bash
# Runs a command with a private PulseAudio server of its own and stops the server afterwards,
# also when the command fails or is interrupted. The server has one null sink whose monitor is
# the default source, so whatever is played into the default output comes back on the default
# input. ALSA's default device (which PortAudio opens) is pointed at this server through
# environment variables and files in a temporary folder: the user's own sound configuration,
# server and home folder are never touched.
#
#   scripts/with-sound-server.sh ctest --test-dir build -L sound
#   scripts/with-sound-server.sh bash          # a shell in which tonavise-cli plays and listens
#
# The exit code is the command's. Works as a normal user and as root (CI).
#
# TONAVISE_SOUND_SERVER_CTL names a script with which the command may stop the server
# ("stop": killed outright, as a crash) and start it again ("start": returns when it is ready),
# to test that the program survives a server that goes away and comes back; "status" says
# whether the server runs and shows the end of its log (for a test that cannot reach it).
#
# When the command fails and the server is no longer running, or has logged errors, the end of
# its log is printed, so that a server that died during a run names its reason.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi
if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
  echo "with-sound-server: pulseaudio and pactl are needed (scripts/setup.sh installs them)" >&2
  exit 1
fi

AUDIO_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tonavise-sound.XXXXXX")
mkdir -p -m 700 "$AUDIO_TMP/home" "$AUDIO_TMP/xdg"
PA_PID=""

stop_server() {
  # The command may have restarted the server: its newest process is in the pid file.
  [ -f "$AUDIO_TMP/pulse.pid" ] && PA_PID=$(cat "$AUDIO_TMP/pulse.pid")
  if [ -n "$PA_PID" ] && kill -0 "$PA_PID" 2>/dev/null; then
    kill -TERM "$PA_PID" 2>/dev/null || true
    # A server that does not end within two seconds is killed: stopping must never hang.
    for _ in $(seq 20); do
      kill -0 "$PA_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$PA_PID" 2>/dev/null || true
    wait "$PA_PID" 2>/dev/null || true
  fi
  rm -rf "$AUDIO_TMP"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

cat >"$AUDIO_TMP/server.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 auth-cookie-enabled=0 socket=$AUDIO_TMP/native
load-module module-null-sink sink_name=tonavise_null rate=44100 channels=2
set-default-sink tonavise_null
set-default-source tonavise_null.monitor
PA

cat >"$AUDIO_TMP/asound.conf" <<'ALSA'
pcm.!default { type pulse }
ctl.!default { type pulse }
pcm.pulse { type pulse }
ctl.pulse { type pulse }
ALSA

export PULSE_SERVER="unix:$AUDIO_TMP/native"
export PULSE_RUNTIME_PATH="$AUDIO_TMP"
export PULSE_STATE_PATH="$AUDIO_TMP"
export PULSE_COOKIE="$AUDIO_TMP/cookie"
export ALSA_CONFIG_PATH="$AUDIO_TMP/asound.conf"
export XDG_RUNTIME_DIR="$AUDIO_TMP/xdg"
# A fixed latency request makes PortAudio's stop call hang; the streams choose their own.
unset PULSE_LATENCY_MSEC

cat >"$AUDIO_TMP/server-ctl" <<'CTL'
#!/usr/bin/env bash
# stop: kill the private server outright; start: start it again and wait until it is ready.
set -euo pipefail
dir=$(dirname "$0")
case "${1:-}" in
  stop)
    pid=$(cat "$dir/pulse.pid")
    kill -KILL "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$dir/native" "$dir/pid"
    ;;
  status)
    if kill -0 "$(cat "$dir/pulse.pid" 2>/dev/null)" 2>/dev/null; then
      echo "the private sound server runs (pid $(cat "$dir/pulse.pid"))"
    else
      echo "the private sound server is not running"
    fi
    echo "the end of its log:"
    tail -n 15 "$dir/pulse.log" 2>/dev/null || true
    ;;
  start)
    # --exit-idle-time=-1: without it the server quits after about 20 s without clients.
    # --no-cpu-limit: the server's own watchdog ends it when it has used 70 % of a core over
    # some seconds; on a machine busy with sanitizer builds and their tests that is the load,
    # not a fault of the server or of its clients, and a dead server fails every later test.
    HOME="$dir/home" setsid pulseaudio -n -F "$dir/server.pa" --daemonize=no \
      --exit-idle-time=-1 --no-cpu-limit --log-target="file:$dir/pulse.log" \
      </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/pulse.pid"
    for _ in $(seq 100); do
      if pactl info 2>/dev/null | grep -q "Default Source: tonavise_null.monitor"; then
        exit 0
      fi
      kill -0 "$(cat "$dir/pulse.pid")" 2>/dev/null || break
      sleep 0.1
    done
    echo "server-ctl: the private sound server did not start" >&2
    exit 1
    ;;
  *)
    echo "usage: $0 stop|start|status" >&2
    exit 2
    ;;
esac
CTL
chmod +x "$AUDIO_TMP/server-ctl"

if ! "$AUDIO_TMP/server-ctl" start; then
  cat "$AUDIO_TMP/pulse.log" >&2 2>/dev/null || true
  exit 1
fi
PA_PID=$(cat "$AUDIO_TMP/pulse.pid")
export TONAVISE_SOUND_SERVER_CTL="$AUDIO_TMP/server-ctl"
export TONAVISE_SOUND_SERVER=1

status=0
"$@" || status=$?
if [ "$status" -ne 0 ] && { ! kill -0 "$(cat "$AUDIO_TMP/pulse.pid")" 2>/dev/null ||
  grep -q "^E: " "$AUDIO_TMP/pulse.log" 2>/dev/null; }; then
  echo "with-sound-server: the command failed; the private sound server's state:" >&2
  "$AUDIO_TMP/server-ctl" status >&2
fi
exit "$status"
