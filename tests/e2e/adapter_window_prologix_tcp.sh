#!/usr/bin/env bash
# The window's run on an emulated Prologix GPIB-ETHERNET, over TCP on 127.0.0.1.
set -uo pipefail
. "$(dirname "$0")/adapter_window.bash"
e2e_setup "$1" "$2"
adapter_use "$2"
adapter_start prologix --tcp
[[ "$GPIB_ADAPTER" == tcp:127.0.0.1:* ]] || e2e_fail "not on TCP: $GPIB_ADAPTER"
supply_run
grep -q 'host< "Prologix GPIB-ETHERNET' "$GPIB_ADAPTER_TRACE" || e2e_fail "not a GPIB-ETHERNET"
echo "window on an emulated Prologix over $GPIB_ADAPTER: ok"
