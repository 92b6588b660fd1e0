# The window's run that the bench library and the adapter library must carry alike: Pulvar starts,
# identifies a PS5010 at 5 behind a silent listener at 3, applies 12.5 V with Enter, switches the
# output on with the confirmation, saves and exits; the bench's trace then holds these bus
# messages, in this order, whichever library carried them.

. "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.bash"
. "$(dirname "${BASH_SOURCE[0]}")/adapter_lib.bash"
. "$(dirname "${BASH_SOURCE[0]}")/screen_reader.bash"

expected_messages() {
    cat <<'MESSAGES'
ibwrt pad=3 ID?
ibrd pad=3 
ibwrt pad=5 ID?
ibrd pad=5 ID TEK/PS5010,V79.1;
ibwrt pad=5 OUT OFF
ibwrt pad=5 VNEG?
ibrd pad=5 VNEG 0.00;
ibwrt pad=5 INEG?
ibrd pad=5 INEG 0.400;
ibwrt pad=5 FSOUT?
ibrd pad=5 FSOUT OFF;
ibwrt pad=5 VPOS?
ibrd pad=5 VPOS 0.00;
ibwrt pad=5 IPOS?
ibrd pad=5 IPOS 0.400;
ibwrt pad=5 FSOUT?
ibrd pad=5 FSOUT OFF;
ibwrt pad=5 OUT?
ibrd pad=5 FSOUT OFF;LSOUT OFF;
ibwrt pad=5 VPOS 12.5
ibwrt pad=5 VPOS?
ibrd pad=5 VPOS 12.50;
ibwrt pad=5 IPOS?
ibrd pad=5 IPOS 0.400;
ibwrt pad=5 FSOUT?
ibrd pad=5 FSOUT OFF;
ibwrt pad=5 OUT ON
ibwrt pad=5 FSOUT?
ibrd pad=5 FSOUT ON;
ibwrt pad=5 VNEG?
ibrd pad=5 VNEG 0.00;
ibwrt pad=5 INEG?
ibrd pad=5 INEG 0.400;
ibwrt pad=5 FSOUT?
ibrd pad=5 FSOUT ON;
ibwrt pad=5 VPOS?
ibrd pad=5 VPOS 12.50;
ibwrt pad=5 IPOS?
ibrd pad=5 IPOS 0.400;
ibwrt pad=5 FSOUT?
ibrd pad=5 FSOUT ON;
ibwrt pad=5 OUT OFF
MESSAGES
}

messages_so_far_end_with() { bus_messages | grep -qxF -- "$1" && [ "$(bus_messages | tail -n 1)" == "$1" ]; }

# The bench that the run expects, to be set before the emulator starts.
export GPIB_BENCH="3=SILENT;5=PS5010"

supply_run() {
    start_session_bus
    e2e_start
    window=$(e2e_wait_window '^Pulvar PS5010, v1\.51 / ZQ$') || e2e_fail "no window for the PS5010"
    # The start-up has switched the output off and read both outputs.
    within 20 messages_so_far_end_with "ibrd pad=5 FSOUT OFF;" || e2e_fail "no start-up"
    within 5 test "$(bus_messages | grep -c 'FSOUT')" -ge 4 || e2e_fail "start-up unfinished"
    settled # the last answer read, the start-up still has its one pass of events to finish
    e2e_keys "$window" 1 2 period 5 Return
    within 10 messages_so_far_end_with "ibrd pad=5 FSOUT OFF;" ||
        e2e_fail "12.5 with Enter not applied"
    within 10 bus_messages_has "ibwrt pad=5 VPOS 12.5" || e2e_fail "no VPOS 12.5"
    settled
    e2e_keys "$window" space
    local box
    box=$(e2e_wait_window '^Change Output$') || e2e_fail "no question before switching"
    e2e_keys "$box" Return
    within 10 messages_so_far_end_with "ibrd pad=5 FSOUT ON;" || e2e_fail "output not switched"
    settled
    e2e_keys "$window" alt+v
    within 10 grep -q 'U%2B=12.5' "$XDG_CONFIG_HOME/Pulvar/Pulvar.conf" || e2e_fail "not saved"
    e2e_keys "$window" alt+x
    e2e_wait_exit || e2e_fail "Exit does not end the program"
    [ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
    local got
    got=$(bus_messages)
    [ "$got" == "$(expected_messages)" ] ||
        e2e_fail "bus messages differ:$(diff <(expected_messages) <(echo "$got") | head -20)"
}

bus_messages_has() { bus_messages | grep -qxF -- "$1"; }
