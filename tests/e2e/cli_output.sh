#!/usr/bin/env bash
# pulvar-cli output on|off: the switch command, then the state read back, and nothing more.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
cli_setup "$@"

export GPIB_BENCH="5=PS5010"
cli_run output on
cli_expect_status 0
cli_expect_out "ON"
[ "$(sent_to 5 | tr '\n' ' ')" == "OUT ON FSOUT? " ] || cli_fail "on: $(sent_to 5)"

cli_run --json output off
cli_expect_status 0
cli_expect_out '{"output":"OFF"}'
[ "$(sent_to 5 | tr '\n' ' ')" == "OUT OFF FSOUT? " ] || cli_fail "off: $(sent_to 5)"

export GPIB_BENCH="7=HP6032A"
cli_run output on
cli_expect_status 0
cli_expect_out "ON"
[ "$(sent_to 7 | tr '\n' ' ')" == "OUT ON OUT? " ] || cli_fail "HP on: $(sent_to 7)"

# An answer that does not read as on (here in lower case) is no switch, and says so.
export GPIB_BENCH="5=PS5010;spoil=5@3:lower"
cli_run output on
cli_expect_status 7
cli_expect_out "on"
cli_expect_err "Output Error: The supply did not switch its output on."

cli_expect_no_settings
echo "pulvar-cli output: ok"
