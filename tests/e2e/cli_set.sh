#!/usr/bin/env bash
# pulvar-cli set: Apply's checks with the supply's limits, its commands as the window sends them,
# the read-back; a refused value sends nothing; --clamp uses the limit; --off-first switches off.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
cli_setup "$@"
export GPIB_BENCH="5=PS5010"

cli_bench_state "5 PS5010 VPOS 5.00;IPOS 1.000;VNEG 0.00;INEG 0.400;FSOUT OFF;"
cli_run set --voltage 12.5 --current 0.4
cli_expect_status 0
cli_expect_out "12.5 V  0.40 A  OFF"
[ "$(sent_to 5 | tr '\n' ' ')" == "VPOS 12.5 IPOS 0.4 VPOS? IPOS? FSOUT? " ] ||
    cli_fail "in range: $(sent_to 5 | tr '\n' ' ')"

cli_run set --voltage 40
cli_expect_status 5
cli_expect_no_out
cli_expect_err "pulvar-cli: Voltage Error: Invalid voltage setting ! Must be less than 32 V."
[ -z "$(sent_to 5)" ] || cli_fail "sent with a refused voltage: $(sent_to 5)"

cli_run set --voltage 40 --clamp --output -
cli_expect_status 0
cli_expect_out "32.0 V  0.40 A  OFF"
[ "$(sent_to 5 | tr '\n' ' ')" == "INEG? VNEG  32.0 VNEG? INEG? FSOUT? " ] ||
    cli_fail "clamped: $(sent_to 5 | tr '\n' ' ')"

# Without a new voltage the PS5010's ceiling follows the voltage it holds.
cli_run set --current 0.01
cli_expect_status 5
cli_expect_err "pulvar-cli: Current Error: Invalid current setting ! Must be more than 0.05 A."
[ "$(sent_to 5 | tr '\n' ' ')" == "VPOS? " ] || cli_fail "refused minimum: $(sent_to 5)"

# Above 15 V the present 0.4 A limit passes; raise it first, then ask for 20 V.
cli_run set --current 1.2
cli_expect_status 0
cli_run set --voltage 20
cli_expect_status 5
cli_expect_err "pulvar-cli: Current Error: Invalid current setting ! Must be less than 0.750 A"
[ "$(sent_to 5 | tr '\n' ' ')" == "IPOS? " ] || cli_fail "refused ceiling: $(sent_to 5)"
cli_run set --voltage 20 --clamp
cli_expect_status 0
[ "$(sent_to 5 | tr '\n' ' ')" == "IPOS? VPOS 20 IPOS  0.750 VPOS? IPOS? FSOUT? " ] ||
    cli_fail "clamped ceiling: $(sent_to 5 | tr '\n' ' ')"

export GPIB_BENCH="7=HP6032A"
cli_bench_state "7 HP6032A VSET 5;ISET 1;OUT 1"
cli_run set --voltage 12.5 --off-first
cli_expect_status 0
cli_expect_out "12.50 V  1.00 A  OFF"
[ "$(sent_to 7 | tr '\n' ' ')" == "ISET? OUT? OUT OFF VSET 12.5 VSET? ISET? OUT? " ] ||
    cli_fail "off first: $(sent_to 7 | tr '\n' ' ')"
# A second's pause between switching off and the change.
times=$(grep -E 'data="(OUT OFF|VSET 12.5)"' "$GPIB_BENCH_TRACE" | awk '{print $1}' | tr '\n' ' ')
awk -v t="$times" 'BEGIN { split(t, a, " "); exit !(a[2] - a[1] >= 1.0) }' ||
    cli_fail "no 1 s pause: $times"

export GPIB_BENCH="9=PS5004"
cli_bench_state "9 PS5004 VOL 5;CUR 0.1;OUT OFF"
cli_run set --voltage 5 --off-first
[ "$(sent_to 9 | tr '\n' ' ')" == "CUR? OUT? VOL 5 VOL? CUR? OUT? " ] ||
    cli_fail "off first, already off: $(sent_to 9 | tr '\n' ' ')"

cli_expect_no_settings
echo "pulvar-cli set: ok"
