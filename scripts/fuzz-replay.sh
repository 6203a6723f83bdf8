#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan, UBSan) into ./build-fuzz (or $FUZZ_BUILD_DIR) and
# replays every corpus and regression input through them once.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
"$root/scripts/bootstrap.sh"
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORLIX_FUZZ=ON -DBUILD_TESTING=OFF $launcher >/dev/null
cmake --build "$build" -j2 --target vorlix_fuzzers
ctest --test-dir "$build" -R '^fuzz-' --output-on-failure -j2
