#!/usr/bin/env bash
# What a screen reader hears of the tuner, through AT-SPI: the program on its own X display
# (Xvfb) and D-Bus session with the accessibility bus, the tuner shown, while A4 10 cents sharp
# (442.55 Hz) and then A4 (440 Hz) play into the private sound server (scripts/with-sound-server.sh
# must have started it). The tuner's accessible value must read "A4, 10.0 cents sharp" (to
# 0.3 cents) and then follow the sound to A4 within 0.3 cents.
#   tuner-accessible-test.sh TONAVISE TONAVISE-CLI
set -euo pipefail
app=$1
cli=$2
if [ "${TONAVISE_SOUND_SERVER:-}" != 1 ]; then
  echo "no private sound server: run through scripts/with-sound-server.sh"
  exit 77
fi
for need in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$need" >/dev/null || { echo "tuner-accessible-test: $need is missing"; exit 1; }
done
/usr/bin/python3 -c "import pyatspi" || { echo "tuner-accessible-test: python3-pyatspi is missing"; exit 1; }

work=$(mktemp -d)
cleanup() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
"$cli" sine -o "$work/sharp.wav" --freq 442.55 --seconds 8 --amplitude 12000 >/dev/null
"$cli" sine -o "$work/a4.wav" --freq 440 --seconds 8 --amplitude 12000 >/dev/null
mkdir -p "$work/config/Osmarek"
printf '[Setting]\nTunerShown=1\n[User]\ntoday=%s\n' "$(date +%Y/%m/%d)" \
  >"$work/config/Osmarek/Tonavise.ini"

cat >"$work/read.py" <<'PY'
# Prints the description of the accessible object named "Tuner" that has one: the tuner's face.
import sys
import pyatspi

def walk(node, depth=0):
    if node is None or depth > 40:
        return None
    try:
        # The face, not the toolbar button or the menu item of the same name.
        # The face is a text (a label), not the button, the menu item or the dock of the same
        # name.
        if node.name == "Tuner":
            print(node.getRoleName() + ": " + node.description, file=sys.stderr)
        if node.name == "Tuner" and node.getRoleName() == "label" and node.description:
            return node.getRoleName() + ": " + node.description
        for i in range(node.childCount):
            found = walk(node.getChildAtIndex(i), depth + 1)
            if found:
                return found
    except Exception:
        return None
    return None

desktop = pyatspi.Registry.getDesktop(0)
for i in range(desktop.childCount):
    found = walk(desktop.getChildAtIndex(i))
    if found:
        print(found)
        sys.exit(0)
print("")
PY

cat >"$work/named.py" <<'PY'
# Prints "role: description" of every accessible object with one of the names given.
import sys
import pyatspi
names = set(sys.argv[1:])
def walk(node, depth=0):
    if node is None or depth > 40:
        return
    try:
        if node.name in names:
            print(node.name + " (" + node.getRoleName() + "): " + node.description)
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), depth + 1)
    except Exception:
        return
desktop = pyatspi.Registry.getDesktop(0)
for i in range(desktop.childCount):
    walk(desktop.getChildAtIndex(i))
PY
display=:$((80 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_CONFIG_HOME=$work/config
export WORK=$work APP=$app CLI=$cli
dbus-run-session -- bash -c '
  set -euo pipefail
  /usr/libexec/at-spi-bus-launcher --launch-immediately & bus=$!
  sleep 1
  "$APP" >/dev/null 2>&1 & prog=$!
  # The program writes its settings as it ends: it is waited for before its folder goes.
  trap "kill $prog $bus 2>/dev/null || true; wait $prog 2>/dev/null || true" EXIT
  sleep 4
  read_value() {  # waits until the value matches $1 (an extended regex), up to 8 s
    for _ in $(seq 40); do
      value=$(/usr/bin/python3 "$WORK/read.py" 2>>"$WORK/roles" || true)
      if echo "${value#*: }" | grep -Eq "$1"; then echo "$value"; return 0; fi
      sleep 0.2
    done
    echo "the tuner reads \"$value\", not /$1/; the objects named Tuner:" >&2; sort -u "$WORK/roles" >&2
    return 1
  }
  "$CLI" play "$WORK/sharp.wav" >/dev/null 2>&1 & play=$!
  sharp=$(read_value "^A4, (9\.[7-9]|10\.[0-3]) cents sharp$")
  wait $play || true
  "$CLI" play "$WORK/a4.wav" >/dev/null 2>&1 & play=$!
  tuned=$(read_value "^A4, (in tune|0\.[0-3] cents (sharp|flat))$")
  wait $play || true
  echo "10 cents sharp: \"$sharp\"; in tune: \"$tuned\""
  # The scope picture and the player are named, and say what they show.
  named=$(/usr/bin/python3 "$WORK/named.py" "Scope" "Play position")
  echo "$named"
  echo "$named" | grep -q "^Scope (.*): Spectrum on the piano keys$"
  echo "$named" | grep -q "^Play position (slider): No file$"
'
