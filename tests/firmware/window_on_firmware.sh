# A journey (run by ../e2e/journeys/run.bash): the window through the adapter library and the
# AR488's own firmware. Pulvar starts (the board resets as its port opens, the firmware searches
# the bus itself), reads the PS5010 back, applies 12.5 V with Enter, and ends from the menu.
. "$(dirname "${BASH_SOURCE[0]}")/firmware_lib.bash"
firmware_needed
adapter_use "$bench_dir"
export GPIB_BENCH="5=PS5010"
firmware_start
start_on_bench "$GPIB_BENCH" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2
expect_shown "Actual voltage" 0.00
grep -q 'ar488 reset: its port was opened' "$GPIB_BENCH_TRACE" || e2e_fail "the board did not reset"
[ "$(firmware_answer '++fndl all')" == '5\r\n' ] || e2e_fail "++fndl all: $(firmware_answer '++fndl all')"

type_into "$window" 12.5
e2e_keys "$window" Return
within 10 trace_has 'ibwrt .*data="VPOS 12.5"' || e2e_fail "no VPOS 12.5"
expect_shown "Actual voltage" 12.5
snap applied

exit_from_menu
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
firmware_stop
