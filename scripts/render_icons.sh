#!/usr/bin/env bash
# Renders dist/icons/corvanite.svg into the PNG sizes the desktop and the window icon use,
# dist/icons/<N>x<N>/corvanite.png. The PNGs are committed, so building never needs the
# renderer: run this after changing the SVG. Installs rsvg-convert (librsvg2-bin) if missing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
svg="$root/dist/icons/corvanite.svg"
sizes=(16 22 24 32 48 64 128 256)

if ! command -v rsvg-convert >/dev/null; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get -qq update >/dev/null
  "${as_root[@]}" apt-get -qq install -y --no-install-recommends librsvg2-bin >/dev/null
fi

for n in "${sizes[@]}"; do
  mkdir -p "$root/dist/icons/${n}x${n}"
  rsvg-convert --width "$n" --height "$n" --format png \
    --output "$root/dist/icons/${n}x${n}/corvanite.png" "$svg"
done
