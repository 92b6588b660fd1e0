#!/usr/bin/env bash
# The supply's cable pulled after the start-up, behind an emulated Prologix: the adapter cannot
# tell that nobody heard the query, so its read runs into the 3 s time-out and the "I/O Error"
# box says so; never a success.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
. "$(dirname "$0")/adapter_lib.bash"
. "$(dirname "$0")/screen_reader.bash"
e2e_setup "$1" "$2"
adapter_use "$2"
# The identification, the output switched off and both outputs read: 8 messages; the 9th, the
# Refresh's first query, is the last it hears, and it is gone before it can answer.
export GPIB_BENCH="5=PS5010;unplug=5@9"
adapter_start prologix

adapter_window_started
e2e_keys "$window" alt+r
box=$(e2e_wait_window '^I/O Error$') || e2e_fail "no I/O Error box"
# The query went out as a success (the adapter cannot know better); its read timed out.
grep ' ibwrt .*data="VPOS?"' "$GPIB_ADAPTER_TRACE" | tail -n 1 | grep -q 'sta=0x0100 ' ||
    e2e_fail "the write was not reported as done"
grep ' ibrd ' "$GPIB_ADAPTER_TRACE" | tail -n 1 | grep -q 'sta=0xc100 err=6 ' ||
    e2e_fail "the read did not time out"
echo "instrument unplugged behind an adapter: ok"
