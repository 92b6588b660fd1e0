#!/usr/bin/env bash
# The window's run on an emulated AR488 over a pseudo-terminal: opening its port resets it, so
# the first "++ver" is lost and asked again; its own listener search finds the listeners.
set -uo pipefail
. "$(dirname "$0")/adapter_window.bash"
e2e_setup "$1" "$2"
adapter_use "$2"
adapter_start ar488
supply_run
grep -q 'adapter reset' "$GPIB_BENCH_TRACE" || e2e_fail "the AR488 was not reset on open"
[ "$(lines_sent | grep -c '^++ver$')" -ge 2 ] || e2e_fail "\"++ver\" not asked again after the reset"
lines_sent | grep -qx '++fndl all' || e2e_fail "no listener search of its own"
echo "window on an emulated AR488 over $GPIB_ADAPTER: ok"
