#!/usr/bin/env bash
# Configures and builds into ./build (or $BUILD_DIR) after making sure the packages are there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/bootstrap.sh"
# ccache, where installed, makes rebuilds after a branch switch quick.
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
    -DVORLIX_WARNINGS_AS_ERRORS=ON $launcher >/dev/null
cmake --build "$build" -j2
