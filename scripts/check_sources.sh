#!/usr/bin/env bash
# Checks that every tracked C++ source is named in the CMakeLists.txt of its folder (or of the
# nearest folder above it that has one): sources are listed, never globbed, so a file that is
# not listed is silently left out of the build.
#
#   bash scripts/check_sources.sh [ROOT]    ROOT defaults to the repository; exit 1 on a miss
set -euo pipefail
root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
cd "$root"

missing=0
while IFS= read -r file; do
  folder=$(dirname "$file")
  while [ "$folder" != "." ] && [ ! -f "$folder/CMakeLists.txt" ]; do
    folder=$(dirname "$folder")
  done
  name=${file#"$folder"/}
  if ! grep -qE "(^|[[:space:](])${name//./\\.}([[:space:])]|$)" "$folder/CMakeLists.txt"; then
    echo "$file: not listed in $folder/CMakeLists.txt" >&2
    missing=1
  fi
done < <(git ls-files '*.cpp')
exit "$missing"
