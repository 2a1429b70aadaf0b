#!/bin/sh
# Builds the libFuzzer targets (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs each for a while from its
# committed seeds in tests/fuzz/corpus/<target>/.
#   sh tools/fuzz.sh                  every target for 20 seconds
#   sh tools/fuzz.sh 3600             every target for an hour
#   sh tools/fuzz.sh 600 fuzz_font_repair fuzz_missing_fonts
# New inputs go to build-fuzz/corpus/<target>/, a failing input to
# build-fuzz/crash-* (replay it with: build-fuzz/<target> build-fuzz/crash-...).
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-20}"
[ $# -gt 0 ] && shift
jobs="$(nproc 2>/dev/null || sysctl -n hw.ncpu)"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPAGORA_WERROR=ON -DPAGORA_SANITIZE=ON -DPAGORA_FUZZ=ON -DPAGORA_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz --target pagora_fuzz -j "$jobs"

targets="$*"
if [ -z "$targets" ]; then
    for source in tests/fuzz/fuzz_*.cpp; do
        targets="$targets $(basename "$source" .cpp)"
    done
fi
for target in $targets; do
    mkdir -p "build-fuzz/corpus/$target"
    echo "== $target: $seconds s"
    "build-fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix=build-fuzz/ \
        "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target" 2>&1 |
        grep -E '^(stat::number_of_executed_units|Done|==[0-9]+==|SUMMARY|fuzz check)' || true
    # The pipe hides the fuzzer's own exit status; a failing input is left behind.
    if ls build-fuzz/crash-* build-fuzz/leak-* build-fuzz/timeout-* build-fuzz/oom-* >/dev/null 2>&1; then
        echo "$target found a failing input:" build-fuzz/crash-* build-fuzz/leak-* \
            build-fuzz/timeout-* build-fuzz/oom-* 2>/dev/null
        exit 1
    fi
done
