#!/usr/bin/env bash
# A bus with an instrument that is no supported supply: the window shows, then the "Error" box;
# after OK the program ends with a non-zero status, calls nothing more on the bus and writes no setting.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
e2e_setup "$1" "$2"
export GPIB_BENCH="5=DM5010"

e2e_start
e2e_wait_window '^Pulvar , v1\.51 / ZQ$' >/dev/null || e2e_fail "caption"
box=$(e2e_wait_window '^Error$') || e2e_fail "no Error box"
calls=$(wc -l <"$GPIB_BENCH_TRACE")
e2e_keys "$box" Return
e2e_wait_exit || e2e_fail "still running after OK"
[ "$exit_status" -ne 0 ] || e2e_fail "exit status 0 without a supply"
[ "$(wc -l <"$GPIB_BENCH_TRACE")" -eq "$calls" ] || e2e_fail "bus calls after the box"
[ ! -e "$XDG_CONFIG_HOME/Pulvar" ] || e2e_fail "settings written"
echo "missing supply: ok (exit status $exit_status)"
