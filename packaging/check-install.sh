#!/usr/bin/env bash
# Installs the build into a staging folder as a package would (prefix /usr) and checks that the
# desktop sees one consistent program: launcher, icons, AppStream data, file type and help.
# usage: check-install.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1 id=$2 version=$3

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$(DESTDIR="$stage/root" "${CMAKE:-cmake}" --install "$build" --prefix /usr 2>&1) || fail "cmake --install: $out"
share="$stage/root/usr/share"
desktop="$share/applications/$id.desktop"
metainfo="$share/metainfo/$id.metainfo.xml"
mime="$share/mime/packages/$id.xml"

program="$stage/root/usr/bin/vorlix-pro"
[ -x "$program" ] || fail "no executable usr/bin/vorlix-pro"
[ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" = '177ELF' ] || fail "usr/bin/vorlix-pro is not an ELF program"
help="$share/doc/vorlix-pro/VorlixPro_Help.pdf"
[ "$(head -c 5 "$help" 2>/dev/null)" = '%PDF-' ] || fail "no help PDF in usr/share/doc/vorlix-pro"
for file in "$desktop" "$metainfo" "$mime" "$share/icons/hicolor/scalable/apps/$id.svg"; do
    [ -f "$file" ] || fail "missing ${file#"$stage/root"}"
done

# Every bitmap icon is a PNG of the size its folder names; menus want the common sizes.
for size in 16 24 32 48 64 128 256; do
    [ -f "$share/icons/hicolor/${size}x${size}/apps/$id.png" ] || fail "no ${size}x${size} icon"
done
for png in "$share"/icons/hicolor/*x*/apps/"$id".png; do
    folder=$(basename "$(dirname "$(dirname "$png")")")
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$folder icon is not a PNG"
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "${width}x${height}" = "$folder" ] || fail "icon in $folder is ${width}x${height}"
done

# Validators: errors fail, and so do warnings (hints about style are let through).
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
if grep -qiE 'error|warning' <<<"$out"; then fail "desktop-file-validate: $out"; fi
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
if command -v xmllint >/dev/null; then
    xmllint --noout "$mime" || fail "the MIME package is not well-formed XML"
fi

# The launcher, AppStream data and file type name the same program, icon and type.
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec | cut -d' ' -f1)" = vorlix-pro ] || fail "Exec does not start vorlix-pro"
[ "$(entry Icon)" = "$id" ] || fail "Icon is not $id"
mimetype=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime")
[ -n "$mimetype" ] || fail "the MIME package defines no type"
[ "$(entry MimeType)" = "$mimetype;" ] || fail "MimeType is not $mimetype"
tag() { sed -n "s:.*<$1>\(.*\)</$1>.*:\1:p" "$metainfo"; }
[ "$(tag id)" = "$id" ] || fail "AppStream id is not $id"
[ "$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")" = "$id.desktop" ] ||
    fail "AppStream launchable is not $id.desktop"
[ "$(tag binary)" = vorlix-pro ] || fail "AppStream does not provide the binary vorlix-pro"
[ "$(tag mediatype)" = "$mimetype" ] || fail "AppStream does not provide $mimetype"
grep -q "<release version=\"$version\"" "$metainfo" || fail "AppStream has no release $version"

# The desktop's MIME database accepts the type and maps *.bcl files to it as text.
cp -r "$share/mime" "$stage/mime-db"
out=$(update-mime-database "$stage/mime-db" 2>&1) || fail "update-mime-database: $out"
if grep -q 'Failed to parse' <<<"$out"; then fail "update-mime-database: $out"; fi
grep -qx "[0-9]*:$mimetype:\*\.bcl" "$stage/mime-db/globs2" || fail "*.bcl does not map to $mimetype"
grep -qx "$mimetype text/plain" "$stage/mime-db/subclasses" || fail "$mimetype is not a kind of text/plain"

echo "installed tree of $id $version is complete and valid"
