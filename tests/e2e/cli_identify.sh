#!/usr/bin/env bash
# pulvar-cli identify: the bus set up and the supply found as the window does it, behind a silent
# listener, with nothing else sent; the set-up failures with their texts and exit statuses.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
cli_setup "$@"

export GPIB_BENCH="3=SILENT;5=PS5010"
cli_run identify
cli_expect_status 0
cli_expect_out "PS5010 at GPIB address 5"
calls=$(trace_calls | tr '\n' ' ')
# linux-gpib has no registration: the status comes from its thread accessors.
prefix="SendIFC ibsre SendIFC ibsre FindLstn "
[[ "$calls" == "$prefix"* ]] || cli_fail "bus set-up sequence: $calls"
asked=$(grep ' ibwrt ' "$GPIB_BENCH_TRACE" | grep -o 'pad=[0-9]* data="[^"]*"' | tr '\n' ' ')
[ "$asked" == 'pad=3 data="ID?" pad=5 data="ID?" ' ] || cli_fail "search: $asked"
# The supply is claimed with its 3 s time-out, and that is the last call: no clear, no OUT OFF.
tail -n 1 "$GPIB_BENCH_TRACE" | grep -q ' ibtmo ud=[0-9]* v=12 ' || cli_fail "last call"

export GPIB_BENCH="7=HP6032A"
cli_run --json identify
cli_expect_status 0
cli_expect_out '{"address":7,"model":"HP 6032A"}'
cli_run identify --json
cli_expect_out '{"address":7,"model":"HP 6032A"}'

export GPIB_BENCH="4=DM5010"
cli_run identify
cli_expect_status 4
cli_expect_no_out
cli_expect_err "pulvar-cli: Error: No supported power supply (Tek PS5010 or Tek PS5004 or HP 6032A) found on the bus !"

export GPIB_BENCH=";"
cli_run identify
cli_expect_status 3
cli_expect_err "pulvar-cli: Initialization Error 14: No listeners found. Correct problem and restart."
[ "$(trace_calls | tail -n 1)" == FindLstn ] || cli_fail "something after the failed search"

export GPIB_BENCH="5=PS5010" LD_LIBRARY_PATH="$work/no-driver-here"
cli_run identify
cli_expect_status 3
cli_expect_err "pulvar-cli: The GPIB driver library libgpib.so.0 could not be loaded: "
[ ! -e "$GPIB_BENCH_TRACE" ] || cli_fail "a trace without the library"

cli_expect_no_settings
echo "pulvar-cli identify: ok"
