#!/usr/bin/env bash
# pulvar-cli through the adapter library and the AR488's own firmware: identify behind a silent
# listener (the firmware's own listener search finds both; the silent one's read times out, and
# the adapter is still there after it), set with a clamped limit, switch on and read back, then
# the adapter's cable pulled while a log runs: the read under way fails at once, nothing waits
# for a time-out.
#   cli_on_firmware.sh <pulvar> <bench library folder> <pulvar-cli>
set -uo pipefail
. "$(dirname "$0")/../e2e/e2e_lib.bash"
. "$(dirname "$0")/../e2e/cli_lib.bash"
. "$(dirname "$0")/firmware_lib.bash"
firmware_needed
cli_setup "$@"
adapter_use "$2"
export GPIB_BENCH="3=SILENT;5=PS5010"
cli_bench_state "5 PS5010 VPOS 5.00;IPOS 1.000;VNEG 0.00;INEG 0.400;FSOUT OFF;"
firmware_start

cli_run identify
cli_expect_status 0
cli_expect_out "PS5010 at GPIB address 5"
# Recorded from a run of the firmware: both listeners, in a line of its own.
[ "$(firmware_answer '++fndl all')" == '3,5\r\n' ] ||
    cli_fail "++fndl all answered: $(firmware_answer '++fndl all')"
# Each listener is polled before it is asked: the silent one answers that too.
[ "$(firmware_answer '++spoll 3')" == '0\r\n' ] ||
    cli_fail "++spoll 3 answered: $(firmware_answer '++spoll 3')"
grep -q ' ibrd ud=[0-9]* pad=3 data="" ' "$GPIB_BENCH_TRACE" ||
    cli_fail "the silent listener was not addressed to talk"
grep -q ' ibrd .* err=6 ' "$GPIB_ADAPTER_TRACE" || cli_fail "no read timed out"

# The current limit over the PS5010's 0.75 A above 15 V, clamped; the output switched on.
cli_run set --voltage 20 --current 1.2 --clamp
cli_expect_status 0
cli_expect_out "20.0 V  0.75 A  OFF"
[ "$(sent_to 5 | tr '\n' ' ')" == "VPOS 20 IPOS  0.750 VPOS? IPOS? FSOUT? " ] ||
    cli_fail "set: $(sent_to 5 | tr '\n' ' ')"
cli_run output on
cli_expect_status 0
cli_expect_out "ON"
cli_run --json read
cli_expect_status 0
cli_expect_out '{"current":0.75,"output":"ON","voltage":20}'

# The cable pulled while a log runs, at its next query's read.
log_rows() { [ "$(wc -l <"$work/out")" -ge "$1" ]; }
"$cli" log --interval 0.3 >"$work/out" 2>"$work/err" </dev/null &
log_pid=$!
within 20 log_rows 2 || cli_fail "the log wrote no row"
kill -USR1 "$emulator_pid"
pulled=$(date +%s%N)
log_ended() { ! kill -0 "$log_pid" 2>/dev/null; }
within 10 log_ended || cli_fail "the log goes on without its adapter"
wait "$log_pid"
status=$?
took_ms=$((($(date +%s%N) - pulled) / 1000000))
cli_expect_status 6
cli_expect_err "pulvar-cli: I/O Error: Read cycle failed. Operation aborted."
cli_expect_err "gpib adapter: lost the adapter at $GPIB_ADAPTER"
# Less than the 3 s a read would wait for a silent supply.
[ "$took_ms" -lt 2500 ] || cli_fail "$took_ms ms from the cable pulled to the end"
firmware_stop
echo "pulvar-cli through the AR488's firmware: ok"
