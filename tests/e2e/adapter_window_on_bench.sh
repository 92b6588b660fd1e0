#!/usr/bin/env bash
# The window's run on an adapter, here on the bench library itself: the reference that the runs
# on the emulated adapters must match, bus message for bus message.
set -uo pipefail
. "$(dirname "$0")/adapter_window.bash"
e2e_setup "$1" "$2"
supply_run
echo "window on the bench library: ok"
