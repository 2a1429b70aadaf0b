#!/bin/sh
# Builds Pagora (incrementally) and starts it.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target Pagora -j "$(nproc 2>/dev/null || sysctl -n hw.ncpu)"
if [ -d build/Pagora.app ]; then
    exec open -W build/Pagora.app
fi
exec ./build/Pagora
