#!/usr/bin/env bash
# Builds and starts Vorlix Pro against the local carnival directory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/build.sh"
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
exec "$build/vorlix-pro" --demo "$@"
