#!/usr/bin/env bash
# Builds and runs every test, headless.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
cd "$build"
ctest --output-on-failure -j2 --timeout 300
