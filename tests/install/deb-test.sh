#!/usr/bin/env bash
# Builds the Debian package with CPack into a folder of its own and checks it: the name, the
# dependencies that dpkg-shlibdeps worked out, every file under /usr, stripped programs, and,
# unpacked, the manual and the translations found from the packaged program's folder.
# Usage: deb-test.sh BUILD_DIR INSTALL_CHECK_PROGRAM
set -euo pipefail
build=$1
check=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.txt" 2>&1 ||
  { cat "$work/cpack.txt"; fail "cpack -G DEB"; }
debs=("$work"/out/tonavise_*_*.deb)
[ -f "${debs[0]}" ] || fail "no tonavise_<version>_<arch>.deb in $work/out"
deb=${debs[0]}
echo "ok   $(basename "$deb"), $(stat -c %s "$deb") bytes"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tonavise ] || fail "package name $(field Package)"
[ "$(field Version)" = "$(basename "$deb" | cut -d_ -f2)" ] || fail "version $(field Version)"
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libportaudio2 libmpg123-0 libgif7; do
  field Depends | grep -q "\b$lib\b" || fail "Depends lacks $lib: $(field Depends)"
done
echo "ok   Depends: $(field Depends)"

dpkg-deb -x "$deb" "$work/root"
id=org.example.tonavise
for f in bin/tonavise bin/tonavise-cli share/tonavise/tonavise.html share/doc/tonavise/tonavise.html \
         share/tonavise/translations/tonavise_chn.qm share/tonavise/translations/tonavise_jpn.qm \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png; do
  [ -e "$work/root/usr/$f" ] || fail "missing /usr/$f"
done
echo "ok   files under /usr"
for p in tonavise tonavise-cli; do
  file "$work/root/usr/bin/$p" | grep -q ', stripped' || fail "/usr/bin/$p is not stripped"
done
echo "ok   stripped programs"

cp "$check" "$work/root/usr/bin/"
"$work/root/usr/bin/$(basename "$check")"
"$work/root/usr/bin/tonavise-cli" --help >/dev/null || fail "packaged tonavise-cli --help"
echo "ok   the packaged tool runs"
