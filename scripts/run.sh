#!/usr/bin/env bash
# Sets up, builds and starts Pulvar on the simulated GPIB bench.
# GPIB_BENCH picks the bench (default "5=PS5010"), e.g. GPIB_BENCH="7=HP6032A".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" pulvar pulvar-cli gpib_bench

# The unchanged program finds the bench under the driver's own name, ahead of any real driver.
export LD_LIBRARY_PATH="$root/build/bench${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
# The bench keeps the supplies' settings between runs, as a supply left switched on would.
export GPIB_BENCH_STATE="${GPIB_BENCH_STATE:-$root/build/bench-state.txt}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Pulvar on a virtual X display (xvfb-run)." >&2
  exec xvfb-run -a "$root/build/pulvar"
fi
exec "$root/build/pulvar"
