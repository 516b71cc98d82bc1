#!/usr/bin/env bash
# Builds and runs the benchmarks (build/bench, optimised, no tests, no window). The line
# benchmarks run the master against flowsim on a pty in both answer ends, the specified one
# and the quick one, side by side, and print their ratios:
#   transaction_bench   one FC3 x 49 against a libmodbus client (prescribed waiting apart)
#   archive_line_bench  the archive download at 19200 and 115200 against the line time
#   poll_cycle_bench    the poll cycle at 19200 and 115200 against its prescribed floor
#   whole_config_bench  the whole-configuration write and read at 19200 and 115200 against
#                       their pauses, line time and prescribed waits
#   scan_bench          the bus scan: a full scan's time per speed, and a partial scan
# With --all, the file benchmarks follow (archive export, profile load). The line benchmarks
# take about four minutes; run them on a quiet machine. With --window, only the window's
# benchmarks (they build the window too): trend_bench, a poll added to a day of polls and the
# plot drawn again, and the longest event of the window while it polls (offscreen);
# exchange_view_bench, a poll's exchanges added to a full exchange view and painted.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

line=(transaction_bench archive_line_bench poll_cycle_bench whole_config_bench scan_bench)
files=(archive_export_bench profile_load_bench)
run=("${line[@]}")
app=OFF
if [[ ${1:-} == --all ]]; then run+=("${files[@]}"); fi
if [[ ${1:-} == --window ]]; then run=(trend_bench exchange_view_bench) app=ON; fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLOWCFG_BUILD_TESTS=OFF \
  -DFLOWCFG_BUILD_APP=$app -DFLOWCFG_BUILD_BENCH=ON
cmake --build build/bench -j "$(nproc)" --target "${run[@]}"
for bench in "${run[@]}"; do
  echo
  echo "== $bench"
  "build/bench/bench/$bench"
done
