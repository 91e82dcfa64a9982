#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz and runs each one for a while
# (20 seconds unless told otherwise) from its seeds in fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [SECONDS]
#
# New inputs a run finds are kept in build-fuzz/corpus/<target>/ (the committed seeds are not
# touched), so a later run goes on from them. A crash stops the script with the fuzzer's report;
# the input that caused it is left as build-fuzz/crash-* (run the target on that file alone to
# see it again).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
build=build-fuzz
cmake -S . -B "$build" -DELVARINE_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DELVARINE_BUILD_TESTS=OFF -DELVARINE_BUILD_BENCH=OFF \
    > /dev/null
cmake --build "$build" -j"$(nproc)" --target elvarine_fuzz_targets
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for seeds in fuzz/corpus/*/; do
    target=$(basename "$seeds")
    work="$build/corpus/$target"
    mkdir -p "$work"
    echo "fuzz: $target for ${seconds} s"
    log="$build/fuzz-$target.log"
    if ! (cd "$build" && "./fuzz/$target" -max_total_time="$seconds" -max_len=16384 \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        "corpus/$target" "../$seeds" > "fuzz-$target.log" 2>&1); then
        tail -n 80 "$log"
        echo "fuzz: $target failed (whole output in $log)" >&2
        exit 1
    fi
    grep -E "^stat::number_of_executed_units|^Done" "$log" || tail -n 3 "$log"
done
