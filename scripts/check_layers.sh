#!/usr/bin/env bash
# Checks that every folder of the product includes only from its own layer and the layers
# below it, and that Qt appears only where windows are made:
#
#   app -> ui -> frontend -> bandwidth -> history -> inet -> framework, services -> platform
#   cli -> monitoring -> frontend         ui, app -> platform/desktop
#   inet, monitoring -> platform/internet
#
#   bash scripts/check_layers.sh [ROOT]    ROOT defaults to the repository; exit 1 on a breach
set -euo pipefail
root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
cd "$root"

declare -A allowed=(
  [platform]="platform"
  [platform/internet]="platform platform/internet"
  [platform/desktop]="platform platform/desktop"
  [services]="platform services"
  [framework]="platform framework"
  [inet]="platform platform/internet services framework inet"
  [history]="platform services framework inet history"
  [bandwidth]="platform platform/internet services framework inet history bandwidth"
  [frontend]="platform services framework history bandwidth frontend"
  [monitoring]="platform platform/internet services framework history bandwidth frontend monitoring"
  [cli]="platform services framework history bandwidth frontend monitoring cli"
  [ui]="platform platform/desktop services framework history bandwidth frontend ui"
  [app]="platform platform/desktop services framework history bandwidth frontend ui app"
)
# Qt headers only here.
qt_folders=" ui app platform/desktop "

# The layer a path belongs to: platform's two sub-folders are layers of their own.
layer_of() {
  case "$1" in
    platform/internet/*) echo platform/internet ;;
    platform/desktop/*) echo platform/desktop ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
  esac
}

breaches=0
while IFS= read -r file; do
  layer=$(layer_of "$file")
  [ -n "${allowed[$layer]+set}" ] || continue
  while IFS=: read -r line text; do
    if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
      included=${BASH_REMATCH[1]}
      target=$(layer_of "$included")
      [ -n "$target" ] || continue
      if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
        echo "$file:$line: $layer includes from $target, a layer above it or beside it: $included"
        breaches=$((breaches + 1))
      fi
    elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(Q[A-Za-z]*)\> ]]; then
      if [[ $qt_folders != *" $layer "* ]]; then
        echo "$file:$line: $layer includes Qt (${BASH_REMATCH[1]}), which only ui, app and platform/desktop may"
        breaches=$((breaches + 1))
      fi
    fi
  done < <(grep -n '#[[:space:]]*include' "$file" || true)
done < <(find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's#^\./##' | sort)

if [ "$breaches" -ne 0 ]; then
  echo "$breaches include(s) against the layers" >&2
  exit 1
fi
echo "layers: every include points down"
