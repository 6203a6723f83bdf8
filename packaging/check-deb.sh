#!/usr/bin/env bash
# Builds the Debian package from the build folder into a scratch folder and checks what apt would
# see: its name and version, dependencies computed from the program's libraries plus the helpers
# it loads at run time, and the files it installs.
# usage: check-deb.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1 id=$2 version=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("${CPACK:-cpack}" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" 2>&1) || fail "cpack: $out"
debs=("$scratch"/vorlix-pro_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no vorlix-pro_*.deb: $out"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "vorlix-pro_$version-1_$arch.deb" ] || fail "unexpected file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vorlix-pro ] || fail "package name is $(field Package)"
[ "$(field Version)" = "$version-1" ] || fail "version is $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "architecture is $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
[ -n "$(field Description)" ] || fail "no description"

# Depends as a list of package names, versions dropped.
depends=$(field Depends)
names=$(tr ',|' '\n' <<<"$depends" | sed 's/(.*//; s/ //g' | sort -u)
for needed in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6webenginewidgets6 libcurl4 libmspack0 \
    libqt6webenginecore6-bin; do
    grep -qx "$needed" <<<"$names" || fail "Depends lacks $needed: $depends"
done

# The contents, as dpkg will unpack them.
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/vorlix-pro ./usr/share/doc/vorlix-pro/VorlixPro_Help.pdf \
    "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml" \
    "./usr/share/mime/packages/$id.xml" "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
    "./usr/share/icons/hicolor/48x48/apps/$id.png"; do
    grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done
grep -E ' \./usr/bin/vorlix-pro$' <<<"$contents" | grep -q '^-rwxr-xr-x root/root ' ||
    fail "usr/bin/vorlix-pro is not an executable owned by root"
if grep -v ' \./usr/' <<<"$contents" | grep -qv ' \./$'; then
    fail "the package installs outside /usr: $(grep -v ' \./usr/' <<<"$contents")"
fi

echo "$(basename "$deb"): Depends: $depends"
