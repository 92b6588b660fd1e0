#!/usr/bin/env bash
# Without any driver library the program says which library it could not load, and why,
# then ends with a non-zero status once the user has read the message.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
e2e_setup "$1" "$2"
export LD_LIBRARY_PATH="$work/empty"

e2e_box_ends_program '^Pulvar$'
echo "missing driver: ok (exit status $exit_status)"
