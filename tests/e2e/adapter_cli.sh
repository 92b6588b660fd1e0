#!/usr/bin/env bash
# pulvar-cli on an emulated adapter, through the same GPIB_ADAPTER and library path as the window:
# identify behind a silent listener, set and read back, with the supply's answers and commands
# as on the bench library. An AR488 on a board that does not reset when its port opens.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
. "$(dirname "$0")/adapter_lib.bash"
cli_setup "$@"
bench_dir=$2
adapter_use "$2"
export GPIB_BENCH="3=SILENT;5=PS5010"
cli_bench_state "5 PS5010 VPOS 5.00;IPOS 1.000;VNEG 0.00;INEG 0.400;FSOUT OFF;"
adapter_start ar488 --reset-seconds 0
# Emptied, not removed: the emulated adapter serves all the runs and keeps it open.
cli_fresh_trace() { : >"$GPIB_BENCH_TRACE"; }

cli_run identify
cli_expect_status 0
cli_expect_out "PS5010 at GPIB address 5"
asked=$(grep ' ibwrt ' "$GPIB_BENCH_TRACE" | grep -o 'pad=[0-9]* data="[^"]*"' | tr '\n' ' ')
[ "$asked" == 'pad=3 data="ID?" pad=5 data="ID?" ' ] || cli_fail "search: $asked"

cli_run set --voltage 12.5 --current 0.4
cli_expect_status 0
cli_expect_out "12.5 V  0.40 A  OFF"
[ "$(sent_to 5 | tr '\n' ' ')" == "VPOS 12.5 IPOS 0.4 VPOS? IPOS? FSOUT? " ] ||
    cli_fail "set: $(sent_to 5 | tr '\n' ' ')"

cli_run --json read
cli_expect_status 0
cli_expect_out '{"current":0.4,"output":"OFF","voltage":12.5}'
[ "$(sent_to 5 | tr '\n' ' ')" == "VPOS? IPOS? FSOUT? " ] || cli_fail "read: $(sent_to 5)"

# A value refused by the window's rules is never sent, whatever carries it.
cli_run set --voltage 40
cli_expect_status 5
cli_expect_err "pulvar-cli: Voltage Error: Invalid voltage setting ! Must be less than 32 V."
[ -z "$(sent_to 5)" ] || cli_fail "sent with a refused voltage: $(sent_to 5)"

# No adapter named and none found: the bus set-up fails at once, with the reason.
GPIB_ADAPTER="" cli_run identify
cli_expect_status 3
cli_expect_err "gpib adapter: no GPIB adapter found; no USB serial port seen."
cli_expect_err "GPIB_ADAPTER=/dev/ttyACM0 or as pulvar-adapter's argument"
echo "pulvar-cli on an emulated AR488: ok"
