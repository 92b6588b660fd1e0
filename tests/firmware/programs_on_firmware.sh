#!/usr/bin/env bash
# Programs written for linux-gpib on the adapter library and the AR488's own firmware, with only
# LD_LIBRARY_PATH and GPIB_ADAPTER set: the listener finder (the firmware's "++fndl" for each
# address) and an exchange by address. Each program opens the port, and the board resets.
#   programs_on_firmware.sh <find_listeners> <terminal> <bench library folder>
set -uo pipefail
. "$(dirname "$0")/firmware_lib.bash"
. "$(dirname "$0")/../drivers/program_checks.bash"
firmware_needed
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset GPIB_BENCH_STATE
export GPIB_BENCH="3=SILENT;5=PS5010" GPIB_BENCH_TRACE="$work/trace"
adapter_use "$3"
firmware_start

check "listeners and the board" "board at 0|listener at 0|listener at 3|listener at 5|exit 3" \
    "$(outcome "$1")"
check "exchange by address" \
    "driver 4.3.6 (gpib adapter)|VPOS 5.00;|ID TEK/PS5010,V79.1;|exit 0" \
    "$(printf 'VPOS 5\nVPOS?\nID?\n' | outcome "$2" 5)"
firmware_stop
checks_passed
