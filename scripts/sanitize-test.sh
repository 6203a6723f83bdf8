#!/usr/bin/env bash
# Builds every program and test with ASan and UBSan into ./build-sanitize (or $SANITIZE_BUILD_DIR)
# and runs the tests there once.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SANITIZE_BUILD_DIR:-$root/build-sanitize}"
"$root/scripts/bootstrap.sh"
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLIX_SANITIZE=ON \
    -DVORLIX_WARNINGS_AS_ERRORS=ON $launcher >/dev/null
cmake --build "$build" -j2
export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
# Leaks are not looked for: Qt's and the browser engine's own caches live to the end. The
# browser engine's library frees some of its own objects with a smaller type than it made them,
# which ASan would stop every browser test for.
export ASAN_OPTIONS="detect_leaks=0:new_delete_type_mismatch=0:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
cd "$build"
ctest --output-on-failure -j2 --timeout 600
