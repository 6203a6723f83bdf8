#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    clang # libFuzzer and the sanitizers of the fuzz build (fuzz/)
    qt6-base-dev qt6-webengine-dev libgl-dev
    libqt6sql6-sqlite # the SQLite driver of Qt SQL: the submission history
    libcurl4-openssl-dev libmspack-dev libcpp-httplib-dev libbenchmark-dev libsodium-dev
    xvfb xauth mscompress gcab curl openssl
    xdotool imagemagick # driving and capturing the program under Xvfb for screenshots
    at-spi2-core dbus-daemon python3-pyatspi # the screen reader's session (tests/accessibility)
    librsvg2-bin # the bitmap icons drawn from the SVG at build time
    desktop-file-utils appstream shared-mime-info libxml2-utils dpkg-dev # install and package checks
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
