#!/usr/bin/env bash
# Installs what is missing, builds, and runs the presentation from build/, which holds the assembled Resources.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
cd "$root/build"
exec ./velmorra "$@"
