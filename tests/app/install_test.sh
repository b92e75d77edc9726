#!/usr/bin/env bash
# cmake --install puts the program and its desktop files in their standard
# places; cpack -G DEB builds a package whose Depends name the libraries'
# packages and the Chinese font.
#   install_test.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR WORK_DIR}
work=${2:?usage: $0 BUILD_DIR WORK_DIR}
rm -rf "$work"
mkdir -p "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log"
root="$work/root/usr"
id=io.github.kessrune.Kessrune
for f in bin/kessrune \
         share/applications/$id.desktop \
         share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/256x256/apps/$id.png \
         share/icons/hicolor/scalable/apps/$id.svg; do
  [ -e "$root/$f" ] || fail "not installed: $f"
done
[ -x "$root/bin/kessrune" ] || fail "bin/kessrune is not executable"
grep -qx "Icon=$id" "$root/share/applications/$id.desktop" || fail "desktop entry names another icon"
if command -v file >/dev/null; then
  file "$root/share/icons/hicolor/256x256/apps/$id.png" | grep -q '256 x 256, 8-bit/color RGBA' \
    || fail "the icon is not a 256 x 256 PNG with alpha"
fi

if ! command -v dpkg-shlibdeps >/dev/null || ! command -v dpkg-deb >/dev/null; then
  echo "dpkg-dev not installed: the .deb is not built"
  exit 0
fi
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$work"/deb/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in fonts-noto-cjk libqt6widgets6 libcurl4 libc6; do
  grep -q "\b$p\b" <<<"$depends" || fail "Depends lacks $p"
done
[ "$(dpkg-deb -f "$deb" Version)" = "1.0.0.0" ] || fail "package version"
contents=$(dpkg-deb -c "$deb")
for f in usr/bin/kessrune usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
         usr/share/icons/hicolor/256x256/apps/$id.png; do
  grep -q "\./$f\$" <<<"$contents" || fail ".deb lacks $f"
done
echo "ok: $deb"
