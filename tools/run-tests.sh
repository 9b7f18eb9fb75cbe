#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: both tiers (on an X server of their own when
# there is no display), then the CPU tests under AddressSanitizer and UndefinedBehaviorSanitizer, then
# the loaders' fuzz targets. Arguments go to the first ctest run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
cd "$root/build"
if [ -z "${DISPLAY:-}" ]; then
  "$root/tools/with-display.sh" ctest --output-on-failure -j"$(nproc)" "$@"
else
  ctest --output-on-failure -j"$(nproc)" "$@"
fi
"$root/tools/sanitizer-tests.sh"
"$root/tools/fuzz-tests.sh"
