#!/usr/bin/env bash
# Builds the Debian package in the build folder (BUILD_DIR, default build) and checks it with
# lintian: bash scripts/package.sh, then apt install ./build/corvanite_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" >/dev/null
# What the package installs, and nothing else.
cmake --build "$build" -j"$(nproc)" --target Corvanite corvanite-cli corvanite_dist_files >/dev/null
if ! log=$(cd "$build" && cpack -G DEB 2>&1); then
  echo "$log" >&2
  exit 1
fi
package=$(ls -t "$build"/corvanite_*.deb | head -n 1)
echo "$package"
# lintian fails on an error in the package. It warns when run as root, which says nothing
# about the package.
lintian --info "$package" 2> >(grep -v "running with root privileges" >&2)
