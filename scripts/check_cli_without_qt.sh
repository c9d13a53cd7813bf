#!/usr/bin/env bash
# Builds corvanite-cli with the dialog left out, so that no Qt package is even looked for, and
# checks that the program loads no Qt library.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-cli}
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B "$build" -DCORVANITE_GUI=OFF -DCORVANITE_WERROR=$werror >/dev/null
cmake --build "$build" -j"$(nproc)" --target corvanite-cli
if ldd "$build/cli/corvanite-cli" | grep -i 'libQt'; then
  echo "corvanite-cli loads Qt" >&2
  exit 1
fi
echo "corvanite-cli builds and runs without Qt"
