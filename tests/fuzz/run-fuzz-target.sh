#!/usr/bin/env bash
# Runs one fuzz target: run-fuzz-target.sh TARGET CRASH_FOLDER OPTIONS... CORPUS_FOLDERS...
# New inputs go to a scratch folder, so the committed corpus only grows by hand; an input that crashes
# the target is kept in CRASH_FOLDER, to be added to the corpus once its cause is fixed.
set -euo pipefail
target=$1
crashes=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$crashes"
# The loaders' messages about each malformed input would drown the fuzzer's own report.
"$target" -close_fd_mask=3 -artifact_prefix="$crashes/" "$scratch" "$@"
