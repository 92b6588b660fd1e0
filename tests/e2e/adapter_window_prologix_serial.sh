#!/usr/bin/env bash
# The window's run on an emulated Prologix GPIB-USB over a pseudo-terminal: the unchanged program
# through the adapter library puts the same bus messages on the bench as on the bench library.
set -uo pipefail
. "$(dirname "$0")/adapter_window.bash"
e2e_setup "$1" "$2"
adapter_use "$2"
adapter_start prologix
supply_run
# No listener search on a Prologix: a serial poll per address, absent when silent.
[ "$(lines_sent | grep -c '^++spoll ')" -ge 30 ] || e2e_fail "no serial poll per address"
echo "window on an emulated Prologix over $GPIB_ADAPTER: ok"
