#!/usr/bin/env bash
# Programs written for linux-gpib run on an emulated Prologix through the adapter library, with
# only LD_LIBRARY_PATH and GPIB_ADAPTER set, with lazy binding and with every name bound at start.
#   adapter_programs.sh <find_listeners> <terminal> <adapter library folder> <adapter-emulator>
set -uo pipefail
find_listeners=$1
terminal=$2
export LD_LIBRARY_PATH=$3
emulator=$4
unset GPIB_BENCH_STATE GPIB_ADAPTER_TRACE
work=$(mktemp -d)
emulator_pid=""
trap '[ -n "$emulator_pid" ] && kill "$emulator_pid"; wait; rm -rf "$work"' EXIT
. "$(dirname "$0")/program_checks.bash"

GPIB_BENCH="3=SILENT;5=PS5010" GPIB_BENCH_TRACE="$work/trace" "$emulator" prologix \
    >"$work/device" 2>&1 &
emulator_pid=$!
for _ in $(seq 50); do [ -s "$work/device" ] && break; sleep 0.1; done
GPIB_ADAPTER=$(head -n 1 "$work/device")
export GPIB_ADAPTER

for binding in lazy now; do
    if [ $binding == now ]; then export LD_BIND_NOW=1; else unset LD_BIND_NOW; fi

    check "$binding: listeners and the board" \
        "board at 0|listener at 0|listener at 3|listener at 5|exit 3" \
        "$(outcome "$find_listeners")"

    check "$binding: exchange by address" \
        "driver 4.3.6 (gpib adapter)|VPOS 5.00;|ID TEK/PS5010,V79.1;|exit 0" \
        "$(printf 'VPOS 5\nVPOS?\nID?\n' | outcome "$terminal" 5)"
done

# The write to nobody goes out without a word; the read's time-out tells.
check "nobody at the address" \
    "driver 4.3.6 (gpib adapter)|ibrd failed: EABO: the transfer was aborted (time-out)|exit 1" \
    "$(printf 'ID?\n' | outcome "$terminal" 9)"

check "no adapter at the place named" \
    "gpib adapter: cannot open /nonexistent/ttyUSB0: No such file or directory|ibask: EDVR: a system call failed, or no usable board|exit 255" \
    "$(GPIB_ADAPTER=/nonexistent/ttyUSB0 outcome "$find_listeners")"

checks_passed
