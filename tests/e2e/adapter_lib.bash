# Shared steps of the runs on an adapter: the emulated Prologix or AR488 in front of the bench
# that GPIB_BENCH describes, its trace (both sides) in GPIB_BENCH_TRACE, and the adapter library
# put first on the library path with GPIB_ADAPTER naming the emulator. Needs $bench_dir and
# $work, as e2e_setup and cli_setup leave them.

# adapter_use <bench library folder>: the adapter library instead of the bench library.
adapter_use() {
    adapter_dir="$(dirname "$1")/adapter"
    emulator="$1/adapter-emulator"
    export LD_LIBRARY_PATH="$adapter_dir"
    # The library's own trace: the lines it sent and what came back.
    export GPIB_ADAPTER_TRACE="$work/adapter.trace"
    # When it looks for an adapter: a system with no serial port, and nothing remembered from an
    # earlier run.
    export GPIB_ADAPTER_ROOT="$work/no-ports" XDG_STATE_HOME="$work/state-home"
    mkdir -p "$GPIB_ADAPTER_ROOT"
}

# adapter_start <prologix|ar488> [emulator options]: the emulator, started and named in
# GPIB_ADAPTER; it ends with the run.
adapter_start() {
    "$emulator" "$@" >"$work/emulator.out" 2>"$work/emulator.err" &
    emulator_pid=$!
    local tries=50
    until [ -s "$work/emulator.out" ] || [ $tries -eq 0 ]; do
        sleep 0.1
        tries=$((tries - 1))
    done
    [ -s "$work/emulator.out" ] || {
        echo "FAIL: the emulator did not start: $(cat "$work/emulator.err")" >&2
        exit 1
    }
    GPIB_ADAPTER=$(head -n 1 "$work/emulator.out")
    export GPIB_ADAPTER
    # Ended before whatever the run's own clean-up does.
    local cleanup
    cleanup=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT$//")
    trap "adapter_stop; $cleanup" EXIT
}

adapter_stop() {
    [ -n "${emulator_pid:-}" ] || return 0
    kill "$emulator_pid" 2>/dev/null
    wait "$emulator_pid" 2>/dev/null
    emulator_pid=""
}

# The bus messages of the trace, one a line: "ibwrt pad=5 VPOS?", "ibrd pad=5 VPOS 0.00;".
bus_messages() {
    grep -E ' (ibwrt|ibrd) ' "$GPIB_BENCH_TRACE" |
        sed 's/.* \(ibwrt\|ibrd\) ud=[0-9]* \(pad=[0-9]*\) data="\(.*\)" -> .*/\1 \2 \3/'
}

# The lines the library sent to the adapter, one a line.
lines_sent() { sed -n 's/^[0-9.]* host> "\(.*\)"$/\1/p' "$GPIB_ADAPTER_TRACE"; }

# The window on a PS5010 at 5, started through the adapter, once its start-up has read both
# outputs and ended; the window's id in $window. (Needs e2e_lib.bash and screen_reader.bash.)
adapter_window_started() {
    start_session_bus
    e2e_start
    window=$(e2e_wait_window '^Pulvar PS5010, v1\.51 / ZQ$') || e2e_fail "no window for the PS5010"
    within 20 start_up_read || e2e_fail "no start-up"
    settled # the last answer read, the start-up still has its one pass of events to finish
}

start_up_read() { [ "$(grep -c ' ibrd .*data="FSOUT' "$GPIB_BENCH_TRACE")" -ge 2 ]; }
