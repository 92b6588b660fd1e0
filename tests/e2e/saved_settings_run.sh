#!/usr/bin/env bash
# Two runs of the real program with a PS5010 on the bench. The first switches the output off at
# start and reads "-" then "+", applies 12.5 V, switches the output on after the question, stores
# the values, checks "Start with saved settings" and exits: device clear, then "OUT OFF". The
# second loads the stored values at start: "-" first, "+" last.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
. "$(dirname "$0")/screen_reader.bash"
e2e_setup "$1" "$2"
start_session_bus
export GPIB_BENCH="5=PS5010"
store="$XDG_CONFIG_HOME/Pulvar/Pulvar.conf"

# The commands written to the supply (identification left out), each quoted, on one line.
written() { sent_to 5 | sed 's/.*/"&"/' | tr '\n' ' '; }
written_ends() { [[ "$(written)" == *"$1" ]]; }
# Waits up to 20 s for the written commands to end with the text given, then for the window to
# end that exchange (its last answer read, a handler still has its pass of events to finish).
wait_written() {
    within 20 written_ends "$1" || e2e_fail "waited for: $1 / written: $(written)"
    settled
}
reads_both='"VNEG?" "INEG?" "FSOUT?" "VPOS?" "IPOS?" "FSOUT?" '

e2e_start
window=$(e2e_wait_window '^Pulvar PS5010, v1\.51 / ZQ$') || e2e_fail "caption"
wait_written "\"OUT OFF\" $reads_both"
e2e_keys "$window" 1 2 period 5 Return
wait_written '"OUT?" "VPOS 12.5" "VPOS?" "IPOS?" "FSOUT?" '
e2e_keys "$window" alt+t
box=$(e2e_wait_window '^Change Output$') || e2e_fail "no question before switching on"
e2e_keys "$box" Return
wait_written '"OUT ON" "FSOUT?" '
e2e_keys "$window" alt+v
wait_written "$reads_both"
e2e_keys "$window" alt+s s
e2e_keys "$window" alt+x
e2e_wait_exit || e2e_fail "Exit does not end the program"
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
[[ "$(tail -n 2 "$GPIB_BENCH_TRACE" | awk '{print $2}' | tr '\n' ' ')" == "ibclr ibwrt " ]] ||
    e2e_fail "the run does not end on the device clear and one command"
written_ends '"OUT OFF" ' || e2e_fail "the run ends on: $(written)"
for entry in 'U%2B=12.5' 'I%2B=0.40' 'U-=0.00' 'I-=0.40' 'Saved%20Exist=True' \
    'Start%20with%20saved%20settings=True'; do
    grep -qx "PS5010\\\\$entry" "$store" || e2e_fail "store lacks $entry: $(cat "$store")"
done
[ "$(grep -c '=' "$store")" -eq 6 ] || e2e_fail "store holds more: $(cat "$store")"

: >"$GPIB_BENCH_TRACE"
e2e_start
window=$(e2e_wait_window '^Pulvar PS5010, v1\.51 / ZQ$') || e2e_fail "caption, second run"
wait_written '"OUT?" "VPOS 12.5" "IPOS 0.40" "VPOS?" "IPOS?" "FSOUT?" '
[[ "$(written)" == "\"OUT OFF\" \"VNEG?\" \"INEG?\" \"FSOUT?\" \"OUT?\" \"VNEG 0.00\" \"INEG 0.40\""* ]] ||
    e2e_fail "second start: $(written)"
e2e_keys "$window" alt+x
e2e_wait_exit || e2e_fail "Exit does not end the second run"
echo "saved settings run: ok"
