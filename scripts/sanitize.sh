#!/usr/bin/env bash
# Builds and runs the tests under the sanitizers, each kind in a build folder of its own.
#
#   bash scripts/sanitize.sh asan          every test, AddressSanitizer + UndefinedBehaviorSanitizer
#   bash scripts/sanitize.sh asan-faults   the fault tests and the fuzz corpus replay only, as asan
#   bash scripts/sanitize.sh tsan          the worker, Internet and fault tests, ThreadSanitizer
#   bash scripts/sanitize.sh fuzz [SECS]   the fuzzers (clang), each for SECS seconds (default 60)
#
# Extra arguments after the kind (asan, tsan) go to ctest, e.g. -R Split. Any report from a
# sanitizer fails the test that caused it.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-asan}
shift || true
jobs=$(nproc)
werror=OFF
[ -n "${CI:-}" ] && werror=ON
export QT_QPA_PLATFORM=offscreen
supp="$PWD/scripts/sanitizer-suppressions"
# -O1 with line tables only (-g1) builds in about half the time of -O2 -g, and every report
# still names its file and line. GCC's maybe-uninitialized analysis misfires inside the
# instrumented standard library (<regex>); the normal build keeps that warning.
sanitizer_build=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
  -DCMAKE_CXX_FLAGS=-Wno-maybe-uninitialized)

case "$kind" in
  asan|asan-faults)
    build=${BUILD_DIR:-build-asan}
    cmake -S . -B "$build" -DCORVANITE_WERROR=$werror -DCORVANITE_BENCH=OFF \
      -DCORVANITE_SANITIZE=address,undefined "${sanitizer_build[@]}" >/dev/null
    if [ "$kind" = asan-faults ]; then
      cmake --build "$build" -j"$jobs" --target faults_tests corvanite_fault_driver \
        fuzz_replay_split_url fuzz_replay_url_list_file
      set -- -L '^(faults_tests|fuzz_replay)$' "$@"
    else
      cmake --build "$build" -j"$jobs"
    fi
    export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
    export LSAN_OPTIONS="suppressions=$supp/lsan.txt:print_suppressions=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$jobs" "$@"
    ;;
  tsan)
    build=${BUILD_DIR:-build-tsan}
    cmake -S . -B "$build" -DCORVANITE_WERROR=$werror -DCORVANITE_BENCH=OFF \
      -DCORVANITE_SANITIZE=thread "${sanitizer_build[@]}" >/dev/null
    targets=(internet_tests inet_tests)
    for t in bandwidth_tests faults_tests; do
      [ -d "tests/${t%_tests}" ] && targets+=("$t")
    done
    cmake --build "$build" -j"$jobs" --target "${targets[@]}"
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.txt"
    labels=$(IFS='|'; echo "${targets[*]}")
    ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$jobs" -L "^($labels)\$" "$@"
    ;;
  fuzz)
    seconds=${1:-60}
    build=${BUILD_DIR:-build-fuzz}
    CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DCORVANITE_FUZZ=ON \
      -DCORVANITE_TESTS=OFF -DCORVANITE_BENCH=OFF >/dev/null
    targets=()
    for source in fuzz/*_fuzz.cpp; do
      name=$(basename "$source" _fuzz.cpp)
      targets+=("$name")
    done
    cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    for name in "${targets[@]}"; do
      # New finds go to a scratch folder; merge them into fuzz/corpus/<name> with
      #   $build/fuzz/fuzz_<name> -merge=1 fuzz/corpus/<name> <scratch>
      scratch="$build/fuzz/found/$name"
      mkdir -p "$scratch"
      "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -artifact_prefix="$build/fuzz/" -print_final_stats=1 "$scratch" "fuzz/corpus/$name"
    done
    ;;
  *)
    echo "usage: $0 asan|asan-faults|tsan [ctest arguments] | fuzz [seconds]" >&2
    exit 2
    ;;
esac
