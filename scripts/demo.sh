#!/usr/bin/env bash
# The first thing to run: installs what is missing, builds, starts the simulated meter
# (flowsim) on a pseudo-terminal and opens flowcfg on it. Closing the window stops flowsim.
#
#   scripts/demo.sh                 open the window
#   scripts/demo.sh --screenshot F  (extra arguments go to flowcfg, e.g. for the README picture)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh

build=$root/build/demo
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFLOWCFG_BUILD_TESTS=OFF -DFLOWCFG_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target flowcfg flowsim flowcfg-cli

demo=$root/demo
mkdir -p "$demo"
link=$demo/ttyFLOWSIM

"$build/sim/flowsim" --link "$link" --swing 20 60 15000 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT

for _ in $(seq 50); do
  [[ -e $link ]] && break
  sleep 0.1
done
if [[ ! -e $link ]]; then
  echo "flowsim did not come up" >&2
  exit 1
fi

# The demo's own working directory: COM1 is the simulator's pty. Whatever else dev.dat
# holds from an earlier run (speed, address, ...) is kept.
dev=$demo/dev.dat
if [[ ! -f $dev ]]; then
  printf '[COM_SETTINGS]\nNumber=1\nSettings=19200,N,8,1\n[PORTS]\nCOM1=%s\n' "$link" >"$dev"
elif grep -q '^COM1=' "$dev"; then
  sed -i "s|^COM1=.*|COM1=$link|" "$dev"
elif grep -q '^\[PORTS\]' "$dev"; then
  sed -i "/^\[PORTS\]/a COM1=$link" "$dev"
else
  printf '\n[PORTS]\nCOM1=%s\n' "$link" >>"$dev"
fi

cd "$demo"
"$build/app/flowcfg" "$@"
