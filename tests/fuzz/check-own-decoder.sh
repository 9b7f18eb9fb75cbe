#!/usr/bin/env bash
# check-own-decoder.sh NM TARGET: fails unless TARGET defines every stb_image function it calls, so that
# its calls reach its own sanitized copy of the decoder and none is left to the system's libstb.
set -euo pipefail
nm=$1
target=$2
undefined=$("$nm" --undefined-only "$target")
defined=$("$nm" --defined-only "$target")
if grep -E ' stbi_' <<<"$undefined"; then
  echo "$target leaves the stb_image functions above to a library"
  exit 1
fi
for function in stbi_info_from_memory stbi_load_from_memory stbi_image_free; do
  if ! grep -qE " T $function\$" <<<"$defined"; then
    echo "$target does not define $function"
    exit 1
  fi
done
