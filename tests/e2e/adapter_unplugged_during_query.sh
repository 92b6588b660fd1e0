#!/usr/bin/env bash
# The adapter's cable pulled while a query waits for its answer: the read fails at once with the
# "I/O Error" box, the next command meets "GPIB ERROR # 7" (the board is gone), and Cancel there
# ends the program at once, with nothing more sent. Nothing waits for a time-out.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
. "$(dirname "$0")/adapter_lib.bash"
. "$(dirname "$0")/screen_reader.bash"
e2e_setup "$1" "$2"
adapter_use "$2"
export GPIB_BENCH="5=PS5010"
adapter_start prologix

adapter_window_started
kill -USR1 "$emulator_pid"
e2e_keys "$window" alt+r
box=$(e2e_wait_window '^I/O Error$') || e2e_fail "no I/O Error box"
pulled=$SECONDS
e2e_keys "$box" Return
box=$(e2e_wait_window '^GPIB ERROR # 7$') || e2e_fail "no GPIB ERROR # 7 box"
# The read's 3 s time-out is the bound, and the thing timed: a library that waited for it would
# take that long between the boxes.
[ $((SECONDS - pulled)) -le 2 ] || e2e_fail "$((SECONDS - pulled)) s from one box to the next"
e2e_keys "$box" Escape
e2e_wait_exit || e2e_fail "still running after Cancel"
[ "$exit_status" -ne 0 ] || e2e_fail "exit status 0 after Cancel"
tail -n 1 "$GPIB_ADAPTER_TRACE" | grep -q ' ibwrt .*err=7 ' ||
    e2e_fail "calls after Cancel: $(tail -n 3 "$GPIB_ADAPTER_TRACE")"
grep -q 'lost the adapter' "$work/stderr" || e2e_fail "the loss is not told on standard error"
echo "adapter unplugged during a query: ok"
