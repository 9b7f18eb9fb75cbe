#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; starts a virtual X server when there is no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
cd "$root/build"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --output-on-failure -j"$(nproc)" "$@"
fi
exec ctest --output-on-failure -j"$(nproc)" "$@"
