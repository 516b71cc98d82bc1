#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, runs every test, a
# short soak against flowsim and a short run of every fuzz target, then builds and runs the
# test suite again under the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

cmake -S . -B build/ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLOWCFG_WERROR=ON
cmake --build build/ci -j "$jobs"
ctest --test-dir build/ci -j "$jobs" --timeout 300

# A short soak of the poll against flowsim with faults on the line (the long one is
# build/ci/bench/fault_soak --polls 10000).
build/ci/bench/fault_soak --polls 300 --every 100

# Every fuzz target for a few seconds (scripts/fuzz.sh TARGET SECONDS runs them long).
if command -v clang++ >/dev/null; then
  scripts/fuzz.sh all 6
fi

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLOWCFG_WERROR=ON \
  -DFLOWCFG_SANITIZE=ON -DFLOWCFG_BUILD_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan -j "$jobs" --timeout 600
