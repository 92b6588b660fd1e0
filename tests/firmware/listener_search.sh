#!/usr/bin/env bash
# The AR488's own listener search, as the adapter library asks for it ("++fndl all"), on a bus
# with a silent listener at 3, a PS5010 at 5 and a listener on secondary addresses 96 and 97 at
# 9: its answer, recorded from a run of the firmware, and the secondary addresses it tried.
# (Whether the library then finds the supply is a test of its own: library_fault_secondary_listener.)
#   listener_search.sh <pulvar> <bench library folder> <pulvar-cli>
set -uo pipefail
. "$(dirname "$0")/../e2e/cli_lib.bash"
. "$(dirname "$0")/firmware_lib.bash"
firmware_needed
cli_setup "$@"
adapter_use "$2"
export GPIB_BENCH="3=SILENT;5=PS5010;9=SILENT"
firmware_start --secondaries 9=96,97
cli_run identify
[ "$(firmware_answer '++fndl all')" == '3,5,9:96,9:97\r\n' ] ||
    cli_fail "++fndl all answered: $(firmware_answer '++fndl all')"
for sad in 96 97 98; do
    grep -q " bus UNL LAD9 SAD$sad\$" "$GPIB_BENCH_TRACE" || cli_fail "9:$sad not tried alone"
done
firmware_stop
echo "the AR488's listener search: ok"
