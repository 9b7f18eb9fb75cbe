#!/usr/bin/env bash
# Builds the loaders' fuzz targets (clang, libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs each over its corpus and the generated Resources, then for a fixed number of
# runs. An input that crashes a target is kept in build-fuzz/tests/fuzz/crashes/<target>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORRA_FUZZ=ON \
  -DVELMORRA_SANITIZE=address,undefined >/dev/null
cmake --build "$build" --target fuzzers -j"$(nproc)"
ctest --test-dir "$build" -L fuzz --output-on-failure
