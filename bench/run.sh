#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/), runs every one of them with its defaults and
# prints one table of their verdicts, with the load average before and after. Exits non-zero
# when a verdict fails or a benchmark ends without its summary.
#
#   bash bench/run.sh            # the full runs: 1 GiB files, 7 to 9 rounds each
#   bash bench/run.sh --quick    # small files and 3 rounds: a smoke run
#
# Each benchmark's whole output is kept in build-bench/bench-logs/<benchmark>.log.
set -uo pipefail
cd "$(dirname "$0")/.."

args=()
case "${1:-}" in
  "") ;;
  --quick) args=(--quick) ;;
  *) echo "usage: bash bench/run.sh [--quick]" >&2; exit 2 ;;
esac

build=build-bench
bash scripts/setup.sh || exit 1
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$build" -j"$(nproc)" --target corvanite_benchmarks >/dev/null || {
  echo "the benchmarks do not build" >&2
  exit 1
}

logs="$build/bench-logs"
rm -rf "$logs"
mkdir -p "$logs"
load() { cut -d' ' -f1-3 /proc/loadavg; }
before=$(load)
echo "load average before: $before"

status=0
summaries="$logs/summaries"
: >"$summaries"
while IFS= read -r bench; do
  name=$(basename "$bench")
  echo "== $name ${args[*]}"
  "$bench" "${args[@]}" >"$logs/$name.log" 2>&1
  code=$?
  grep '^SUMMARY ' "$logs/$name.log" | tee -a "$summaries"
  if ! grep -q '^SUMMARY ' "$logs/$name.log"; then
    echo "SUMMARY name=$name ours=- reference=- ratio=- limit=- verdict=FAIL peak_mib=-" |
      tee -a "$summaries"
    echo "$name ended with status $code and no summary; see $logs/$name.log" >&2
    status=1
  fi
done < <(
  # The Internet layer first, then what is built on it; any other benchmark after them.
  order="internet_read_bench worker_bench worker_memory_bench cli_bench ui_bench"
  order+=" recording_bench history_print_bench"
  found=$(find "$build/bench" -type f -executable -name '*_bench' | sort)
  for name in $order; do
    grep "/$name\$" <<<"$found"
  done
  for name in $order; do
    found=$(grep -v "/$name\$" <<<"$found")
  done
  [ -n "$found" ] && echo "$found"
)

after=$(load)
echo
echo "load average before: $before; after: $after ($(nproc) processors)"
awk '
  BEGIN {
    format = "%-24s %12s %12s %7s %9s %-7s %9s\n"
    printf format, "benchmark", "ours", "reference", "ratio", "limit", "verdict", "peak MiB"
  }
  {
    delete field
    for (i = 2; i <= NF; ++i) {
      split($i, pair, "=")
      field[pair[1]] = pair[2]
    }
    printf format, field["name"], field["ours"], field["reference"], field["ratio"],
           field["limit"], field["verdict"], field["peak_mib"]
  }' "$summaries"
if grep -q 'verdict=FAIL' "$summaries"; then
  status=1
fi
exit $status
