#!/usr/bin/env bash
# Builds the CPU tests with AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize/ and runs
# them; any finding stops its test, which then fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-sanitize
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORRA_SANITIZE=address,undefined >/dev/null
cmake --build "$build" --target cpu_tests -j"$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
ctest --test-dir "$build" -L cpu --output-on-failure -j"$(nproc)"
