#!/bin/sh
# Builds Pagora and every test (incrementally) and runs the whole suite.
# Widget tests use Qt's offscreen platform, so no display is needed.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
jobs="$(nproc 2>/dev/null || sysctl -n hw.ncpu)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGORA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
