#!/bin/sh
# Builds Pagora and every test (incrementally) and runs the whole suite, then
# runs it again built with AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs every fuzz target for a short while (tools/fuzz.sh, with clang).
# Widget tests use Qt's offscreen platform, so no display is needed.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
jobs="$(nproc 2>/dev/null || sysctl -n hw.ncpu)"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGORA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPAGORA_WERROR=ON -DPAGORA_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}" \
LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(pwd)/tools/lsan.supp:print_suppressions=0}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

# libFuzzer comes with LLVM's clang on Linux; Apple's clang has none.
if [ "$(uname -s)" = Linux ]; then
    echo "== fuzzing, 20 seconds a target"
    sh tools/fuzz.sh 20
fi
