#!/usr/bin/env bash
# The real program on the bench with an HP 6032A: with "Turn OFF Output before changes are
# applied" checked (as it is on a first run), 12.5 and Enter in the voltage field ask for the
# output state, switch the output off (Apply counts the HP 6032A's "OUT 0" as on), wait a second,
# set the voltage and read the supply back.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
. "$(dirname "$0")/screen_reader.bash"
e2e_setup "$1" "$2"
start_session_bus
export GPIB_BENCH="5=HP6032A"

e2e_start
window=$(e2e_wait_window '^Pulvar HP 6032A, v1\.51 / ZQ$') || e2e_fail "caption"
# The commands written to the supply (identification left out), each as data="<command>".
written() { sent_to 5 | sed 's/.*/data="&"/'; }
all_written() { [ "$(written | tr '\n' ' ')" == "$1" ]; }
# The start-up switches the output off and reads the supply back; Enter before its end is ignored.
started='data="OUT OFF" data="VSET?" data="ISET?" data="OUT?" '
start_up_read() { all_written "$started" && grep -q ' ibrd .*data="OUT ' "$GPIB_BENCH_TRACE"; }
within 10 start_up_read || e2e_fail "start-up: $(written | tr '\n' ' ')"
# The last answer read, the start-up still has its one pass of events to finish.
settled
e2e_keys "$window" 1 2 period 5 Return

expected="${started}"'data="OUT?" data="OUT OFF" data="VSET 12.5" data="VSET?" data="ISET?" data="OUT?" '
within 10 all_written "$expected" || e2e_fail "written: $(written | tr '\n' ' ')"

at() { grep " ibwrt .*data=\"$1\"" "$GPIB_BENCH_TRACE" | tail -n 1 | awk '{print $1}'; }
gap=$(awk -v a="$(at 'OUT OFF')" -v b="$(at 'VSET 12.5')" 'BEGIN { print b - a }')
# The pause itself is what is timed here; the upper bound leaves a loaded machine time to wake
# the program, yet fails a pause taken twice.
awk -v g="$gap" 'BEGIN { exit !(g >= 0.999 && g < 1.9) }' || e2e_fail "gap of $gap s after OUT OFF"
echo "apply on Enter: ok (gap $gap s)"
