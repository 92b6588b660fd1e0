#!/usr/bin/env bash
# linux-gpib without its configuration file fails every call with ERR and EARG, and prints two
# lines on standard error at each: the bus set-up shows its "Initialization Error 4" box, and the
# program ends with a non-zero status once the user has read it.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
e2e_setup "$1" "$2"
export GPIB_BENCH="5=PS5010;noconfig"

e2e_box_ends_program '^Initialization Error 4$'
# The lines come in pairs, one pair per driver call; the status accessors add none.
pairs=$(paste -d'|' - - <"$work/stderr" | grep -c '^failed to open configuration file|libgpib: invalid descriptor$')
[ "$pairs" -ge 1 ] && [ "$((pairs * 2))" -eq "$(grep -c . "$work/stderr")" ] ||
    e2e_fail "standard error is not the driver's pairs of lines"
echo "unusable driver: ok ($pairs calls, exit status $exit_status)"
