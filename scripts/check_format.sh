#!/usr/bin/env bash
# Checks that every tracked C++ file is laid out as the repository's .clang-format says, and
# names each one that is not. `clang-format -i FILE` lays a file out.
#
#   bash scripts/check_format.sh [ROOT]    ROOT defaults to the repository; exit 1 on a miss
set -euo pipefail
root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
cd "$root"
bash scripts/setup.sh

if ! git ls-files -z '*.cpp' '*.h' |
  xargs -0 -r -n 40 -P "$(nproc)" clang-format --dry-run --Werror; then
  echo "the files above are out of format: run clang-format -i on them" >&2
  exit 1
fi
echo "every C++ file is formatted"
