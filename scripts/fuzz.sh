#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang's libFuzzer in a build folder of their own and runs
# each on its seed corpus for a while. Never part of `make test`.
#   scripts/fuzz.sh [build folder]          default build-fuzz
#   FUZZ_SECONDS  time per target (60)      FUZZ_JOBS  targets run at a time (2)
#   FUZZ_TARGETS  names to run (all)        JOBS       compile jobs (4)
# New inputs that reach further are kept in <build>/corpus/<target>/; inputs that crash, hang
# or run out of memory in <build>/findings/<target>/. Exits non-zero when any target found one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-fuzz}")
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-2}

# clang and its run-time libraries (libFuzzer and the sanitizers), when missing.
bash scripts/setup.sh clang libclang-rt-14-dev

targets=(${FUZZ_TARGETS:-$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')})
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DSM_FUZZ=ON -DSM_WERROR=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-4}" --target "${targets[@]}"

run_one() {
  local build=$1 seconds=$2 target=$3
  mkdir -p "$build/corpus/$target" "$build/findings/$target" "$build/logs" "$build/work/$target"
  local seeds=$PWD/fuzz/corpus/$target suppressions=$PWD/scripts/lsan.supp
  # A target without seeds of its own starts from an empty corpus.
  local seeds_dir=()
  [ -d "$seeds" ] && seeds_dir=("$seeds")
  # Undefined behaviour and memory faults stop the target; the whole run goes on, in forked
  # workers, past each finding until the time is up.
  (cd "$build/work/$target" && ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    LSAN_OPTIONS=suppressions=$suppressions \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen \
    "$build/fuzz/$target" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target/" "$build/corpus/$target" ${seeds_dir[@]+"${seeds_dir[@]}"} \
    >"$build/logs/$target.log" 2>&1) || true
  local runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$target.log" |
    awk '{n += $2} END {print n + 0}')
  if [ "$runs" = 0 ]; then
    runs=$(grep -o '#[0-9]*' "$build/logs/$target.log" | tail -1 | tr -d '#')
  fi
  printf '%-22s %12s inputs  %3d findings\n' "$target" "${runs:-0}" \
    "$(find "$build/findings/$target" -type f | wc -l)"
}
export -f run_one
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ "$build" "$seconds" {}
! find "$build/findings" -type f | grep -q .
