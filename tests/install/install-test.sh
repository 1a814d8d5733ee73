#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the result: every file in its usual place,
# the desktop entry and the AppStream metainfo valid, the manual and the translations found from
# the installed program's folder, the command-line tool and the program itself starting from
# there in Japanese (it then ends on SIGTERM, as at the end of a session, with its settings written).
# Usage: install-test.sh BUILD_DIR INSTALL_CHECK_PROGRAM
set -euo pipefail
build=$1
check=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

id=org.example.tonavise
files=(
  bin/tonavise bin/tonavise-cli
  share/tonavise/tonavise.html share/tonavise/tonavise-images/pitch.png
  share/doc/tonavise/tonavise.html share/doc/tonavise/tonavise-images/pitch.png
  share/tonavise/translations/tonavise_chn.qm share/tonavise/translations/tonavise_jpn.qm
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
)
for size in 16 22 24 32 48 64 128 256; do
  files+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${files[@]}"; do
  [ -e "$prefix/$f" ] || fail "missing $f"
  echo "ok   $f"
done
for size in 16 256; do
  got=$(python3 -c "import struct,sys;d=open(sys.argv[1],'rb').read(24);print(*struct.unpack('>II',d[16:24]))" \
        "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png")
  [ "$got" = "$size $size" ] || fail "icon ${size}x${size} is $got"
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
  echo "ok   desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
fi

for f in share/doc/tonavise/tonavise.html share/doc/tonavise/tonavise-images; do
  [ -L "$prefix/$f" ] || fail "$f is not a link to the manual"
done
echo "ok   share/doc/tonavise links to the manual"

cp "$check" "$prefix/bin/"
"$prefix/bin/$(basename "$check")"
# A minimal install without share/doc: the program still finds its manual.
rm -rf "$prefix/share/doc"
"$prefix/bin/$(basename "$check")" || fail "the manual is needed from share/doc"
echo "ok   the manual is found without share/doc"
"$prefix/bin/tonavise-cli" --help >/dev/null || fail "tonavise-cli --help"
echo "ok   tonavise-cli --help"

# The program from the prefix, in Japanese, with a home of its own. The daily page is marked as
# seen today, so no browser starts.
home=$work/home
mkdir -p "$home/.config/Osmarek" "$home/run"
chmod 700 "$home/run"
printf '[User]\ntoday=%s\n' "$(date +%Y/%m/%d)" > "$home/.config/Osmarek/Tonavise.ini"
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home/run LANG=ja_JP.UTF-8 \
  LC_ALL= QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
  "$prefix/bin/tonavise" >"$work/out.txt" 2>&1 &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || { cat "$work/out.txt"; fail "the program did not keep running"; }
# A loaded translation is mapped into the process.
qm=$prefix/share/tonavise/translations/tonavise_jpn.qm
grep -q "$qm" "/proc/$pid/maps" || { kill -TERM "$pid"; fail "the program did not load $qm"; }
echo "ok   the program loaded $qm"
kill -TERM "$pid"
rc=0
wait "$pid" || rc=$?
[ "$rc" -eq 0 ] || { cat "$work/out.txt"; fail "the program ended with $rc"; }
grep -q '^Tempo=' "$home/.config/Osmarek/Tonavise.ini" || fail "settings not written at exit"
echo "ok   tonavise started from $prefix/bin and ended with its settings written"
