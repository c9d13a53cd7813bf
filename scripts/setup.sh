#!/usr/bin/env bash
# Installs every Debian package that building and testing need. Quiet, and a
# no-op when everything is already there.
set -euo pipefail

packages=(
  g++ cmake make pkg-config libgtest-dev clang-format
  qt6-base-dev qt6-charts-dev libgl-dev
  libqt6opengl6-dev  # Qt Charts' CMake package looks for Qt OpenGL's, which Debian keeps apart
  libcurl4-openssl-dev libsqlite3-dev libdbus-1-dev
  nginx-light openssl python3 python3-pyftpdlib curl tinyproxy
  iproute2 util-linux procps
  desktop-file-utils appstream
  xdg-utils xvfb x11-utils openbox xdotool
  dpkg-dev fakeroot file lintian passwd bash-completion
  # The monitoring tests' servers and checkers, and the units' verifier.
  prometheus prometheus-node-exporter prometheus-pushgateway influxdb dbus systemd
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get -qq update >/dev/null
"${as_root[@]}" apt-get -qq install -y --no-install-recommends "${missing[@]}" >/dev/null
