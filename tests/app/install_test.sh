#!/usr/bin/env bash
# cmake --install puts the programs, their desktop files and the copyright
# file in their standard places; cpack builds, in the build folder whatever
# folder it runs from, a .deb whose Depends name the libraries' packages and
# the Chinese font and whose Description reads as prose.
#   install_test.sh BUILD_DIR WORK_DIR VERSION
set -euo pipefail
usage="usage: $0 BUILD_DIR WORK_DIR VERSION"
build=${1:?$usage}
work=${2:?$usage}
version=${3:?$usage}
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
         share/icons/hicolor/scalable/apps/$id.svg \
         share/doc/kessrune/copyright; do
  [ -e "$root/$f" ] || fail "not installed: $f"
done
[ -x "$root/bin/kessrune" ] || fail "bin/kessrune is not executable"
grep -qx "Icon=$id" "$root/share/applications/$id.desktop" || fail "desktop entry names another icon"
metainfo="$root/share/metainfo/$id.metainfo.xml"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"
grep -q "<project_license>MIT</project_license>" "$metainfo" || fail "metainfo licence is not MIT"
copyright="$root/share/doc/kessrune/copyright"
grep -qx "License: Expat" "$copyright" || fail "copyright names no Expat (MIT) licence"
grep -qx " Permission is hereby granted, free of charge, to any person obtaining a copy" "$copyright" \
  || fail "copyright lacks the licence text"
if command -v file >/dev/null; then
  file "$root/share/icons/hicolor/256x256/apps/$id.png" | grep -q '256 x 256, 8-bit/color RGBA' \
    || fail "the icon is not a 256 x 256 PNG with alpha"
fi

if ! command -v dpkg-shlibdeps >/dev/null || ! command -v dpkg-deb >/dev/null; then
  echo "dpkg-dev not installed: the .deb is not built"
  exit 0
fi
# Run from elsewhere, as a user would from the source root: nothing may land
# in the folder cpack runs in.
rm -rf "$build/package"
(cd "$work" && cpack --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log"; fail "cpack"; }
[ -z "$(find "$work" -maxdepth 1 \( -name '*.deb' -o -name '_CPack_Packages' \))" ] \
  || fail "cpack wrote into the folder it ran in"
deb=$(ls "$build"/package/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in fonts-noto-cjk libqt6widgets6 libcurl4 libc6; do
  grep -q "\b$p\b" <<<"$depends" || fail "Depends lacks $p"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
description=$(dpkg-deb -f "$deb" Description)
echo "Description: $description"
! grep -q ';' <<<"$description" || fail "Description holds a ';'"
[ "$(head -n 1 <<<"$description")" = "Shop style-sheet reader for Taobao and Tmall pages" ] \
  || fail "Description's first line is not the summary"
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "Description has no long text"
contents=$(dpkg-deb -c "$deb")
for f in usr/bin/kessrune usr/bin/kessrune-cli usr/share/applications/$id.desktop \
         usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/256x256/apps/$id.png \
         usr/share/doc/kessrune/copyright; do
  grep -q "\./$f\$" <<<"$contents" || fail ".deb lacks $f"
done
echo "ok: $deb"
