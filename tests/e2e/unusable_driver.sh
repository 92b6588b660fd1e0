#!/usr/bin/env bash
# A driver library that is there but has no usable board (linux-gpib without its configuration
# file) fails every call with ERR and EDVR: the bus set-up shows its "Initialization Error 0"
# box, and the program ends with a non-zero status once the user has read it.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
e2e_setup "$1" "$2"
export GPIB_BENCH="5=PS5010;noconfig=0"

e2e_box_ends_program '^Initialization Error 0$'
grep -q 'failed to open configuration file' "$work/stderr" || e2e_fail "no line on standard error"
echo "unusable driver: ok (exit status $exit_status)"
