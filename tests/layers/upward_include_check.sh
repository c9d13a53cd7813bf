#!/usr/bin/env bash
# The layer check must fail on each kind of breach and pass on a tree that has none.
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{platform/internet,platform/desktop,inet,bandwidth,frontend,ui,cli}

write() { printf '%s\n' "${@:2}" >"$tree/$1"; }
write platform/win_types.h '#pragma once'
write platform/internet/wininet.h '#include "platform/win_types.h"'
write inet/split_url.cpp '#include "platform/internet/wininet.h"'
write bandwidth/worker.cpp '#include "inet/split_url.h"'
write frontend/outcome_table.cpp '#include "bandwidth/request.h"'
write ui/main_dialog.cpp '#include "frontend/outcome_table.h"' '#include <QDialog>'
write cli/cli_run.cpp '#include "frontend/outcome_table.h"'
bash "$check" "$tree" >/dev/null || { echo "a sound tree was refused"; exit 1; }

expect_refused() {
  local file=$1 line=$2 saved
  saved=$(cat "$tree/$file" 2>/dev/null || true)
  echo "$line" >>"$tree/$file"
  if bash "$check" "$tree" >/dev/null 2>&1; then
    echo "not caught: $file: $line"
    exit 1
  fi
  printf '%s\n' "$saved" >"$tree/$file"
}
expect_refused inet/split_url.cpp '#include "bandwidth/worker.h"'
expect_refused cli/cli_run.cpp '#include "ui/main_dialog.h"'
expect_refused platform/internet/wininet.h '#include "platform/desktop/shell.h"'
expect_refused bandwidth/worker.cpp '  #  include "frontend/outcome_table.h"'
expect_refused cli/cli_run.cpp '#include <QString>'
echo "every breach caught"
