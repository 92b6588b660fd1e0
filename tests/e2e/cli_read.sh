#!/usr/bin/env bash
# pulvar-cli read: each model and each PS5010 output read with the window's queries and shown in
# its number texts; nothing else is sent; "-" on a supply with one output is refused unsent.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
cli_setup "$@"

# model, address, bench state, arguments, expected line, expected queries
check_read() {
    export GPIB_BENCH="$2=$1"
    cli_bench_state "$2 $1 $3"
    cli_run read $4
    cli_expect_status 0
    cli_expect_out "$5"
    [ "$(sent_to "$2" | tr '\n' ' ')" == "$6" ] || cli_fail "queries: $(sent_to "$2" | tr '\n' ' ')"
}

ps5010="VPOS 12.50;IPOS 0.400;VNEG 3.00;INEG 1.200;FSOUT ON;"
check_read PS5010 5 "$ps5010" "" "12.5 V  0.40 A  ON" "VPOS? IPOS? FSOUT? "
check_read PS5010 5 "$ps5010" "--output -" "3.00 V  1.20 A  ON" "VNEG? INEG? FSOUT? "
check_read PS5004 9 "VOL 5.5;CUR 0.1;OUT OFF" "" "5.500 V  0.1000 A  OFF" "VOL? CUR? OUT? "
check_read HP6032A 7 "VSET 20;ISET 2.5;OUT 1" "" "20.0 V  2.50 A  ON" "VSET? ISET? OUT? "

cli_run read --json
cli_expect_status 0
cli_expect_out '{"current":2.5,"output":"ON","voltage":20}'

cli_run read --output -
cli_expect_status 5
cli_expect_no_out
cli_expect_err "HP 6032A has one output"
[ -z "$(sent_to 7)" ] || cli_fail "sent with a refused output"

cli_expect_no_settings
echo "pulvar-cli read: ok"
