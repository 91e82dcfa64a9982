#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite headless. With --sanitize, builds in
# build-asan with AddressSanitizer and UndefinedBehaviorSanitizer. The printing tests get a
# private print server with a test queue (scripts/cups-test-env.sh; as root only, otherwise
# they report themselves skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  options=(-DELVARINE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cmake -S . -B "$build" "${options[@]}" > /dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
../scripts/cups-test-env.sh ctest --output-on-failure -j"$(nproc)"
