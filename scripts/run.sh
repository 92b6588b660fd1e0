#!/usr/bin/env bash
# Sets up, builds and starts Pulvar on the simulated GPIB bench.
# GPIB_BENCH picks the bench (default "5=PS5010"), e.g. GPIB_BENCH="7=HP6032A".
# "--adapter prologix|ar488" puts an emulated adapter in front of the bench and starts Pulvar on
# it through the adapter library; "--adapter ar488-firmware" puts the AR488's own firmware there
# instead, on a simulated Arduino (../shared/ar488 beside the repository); with GPIB_ADAPTER set
# (e.g. /dev/ttyUSB0), Pulvar runs on that real adapter instead of the bench.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" == "--adapter" ] && [[ "${2:-}" != @(prologix|ar488|ar488-firmware) ]]; then
  echo "Usage: bash scripts/run.sh [--adapter prologix|ar488|ar488-firmware]" >&2
  exit 2
fi
targets=(pulvar pulvar-cli gpib_bench gpib_adapter adapter-emulator)
if [ "${2:-}" == ar488-firmware ]; then
  if [ ! -f "$root/../shared/ar488/firmware/AR488.ino" ]; then
    echo "The AR488's firmware is not beside the repository (../shared/ar488)." >&2
    exit 2
  fi
  bash "$root/scripts/setup.sh" firmware
  targets+=(ar488-firmware ar488_firmware_elf)
fi
bash "$root/scripts/build.sh" "${targets[@]}"

# The unchanged program finds the driver library under the driver's own name, ahead of any real
# driver: the bench's, or the adapter library when an adapter is named.
library="$root/build/bench"
if [ -n "${GPIB_ADAPTER:-}" ] || [ "${1:-}" == "--adapter" ]; then library="$root/build/adapter"; fi
export LD_LIBRARY_PATH="$library${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
# The bench keeps the supplies' settings between runs, as a supply left switched on would.
export GPIB_BENCH_STATE="${GPIB_BENCH_STATE:-$root/build/bench-state.txt}"

pulvar=("$root/build/pulvar")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Pulvar on a virtual X display (xvfb-run)." >&2
  pulvar=(xvfb-run -a "${pulvar[@]}")
fi
if [ "${2:-}" == ar488-firmware ]; then
  exec "$root/build/tests/firmware/ar488-firmware" "$root/build/tests/firmware/ar488/ar488.elf" \
    -- "${pulvar[@]}"
elif [ "${1:-}" == "--adapter" ]; then
  exec "$root/build/bench/adapter-emulator" "$2" -- "${pulvar[@]}"
fi
exec "${pulvar[@]}"
