#!/usr/bin/env bash
# Builds the fuzz targets with clang (build/fuzz) and runs them.
#
#   scripts/fuzz.sh TARGET|all SECONDS      each target for SECONDS seconds
#   scripts/fuzz.sh TARGET|all --runs N     each target for N inputs
#   scripts/fuzz.sh --list                  the target names
#
# Targets: master_answers profile_round_trip archive_export sim_requests number_parsers.
# The seeds in fuzz/seeds/TARGET are read, never written: what a run learns goes to
# build/fuzz/corpus/TARGET, and an input that fails is kept as build/fuzz/findings/TARGET-*.
# Extra libFuzzer options can follow, e.g. -jobs=2 -workers=2.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(master_answers profile_round_trip archive_export sim_requests number_parsers)
if [[ ${1:-} == --list ]]; then
  printf '%s\n' "${targets[@]}"
  exit 0
fi
if (($# < 2)); then
  echo "usage: scripts/fuzz.sh TARGET|all SECONDS|--runs N [libFuzzer options]" >&2
  exit 2
fi
which=$1
shift
if [[ $1 == --runs ]]; then
  limit=(-runs="$2")
  shift 2
else
  limit=(-max_total_time="$1")
  shift
fi
if [[ $which != all ]]; then
  [[ " ${targets[*]} " == *" $which "* ]] || { echo "no fuzz target $which" >&2; exit 2; }
  targets=("$which")
fi

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DFLOWCFG_FUZZ=ON -DFLOWCFG_BUILD_APP=OFF -DFLOWCFG_BUILD_TESTS=OFF -DFLOWCFG_BUILD_BENCH=OFF \
  >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

mkdir -p "$build/findings"
# Short allocation stacks and a small quarantine keep long runs fast; a finding is best
# replayed with the defaults: build/fuzz/fuzz/fuzz_TARGET build/fuzz/findings/FILE
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=4:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  echo "== fuzz $t"
  "$build/fuzz/fuzz_$t" "${limit[@]}" -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
    "$@" "$build/corpus/$t" "fuzz/seeds/$t"
done
