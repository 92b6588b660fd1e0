# Shared steps of the runs through the AR488's own firmware: the runner (AR488_RUNNER) started
# with the firmware (AR488_FIRMWARE) on the bench that GPIB_BENCH describes, in place of the
# emulated adapter of adapter_lib.bash: its pseudo-terminal in GPIB_ADAPTER, both sides and the
# bus messages in GPIB_BENCH_TRACE, the library's own trace in GPIB_ADAPTER_TRACE. Needs $work
# and adapter_use, as the e2e runs leave them.

. "$(dirname "${BASH_SOURCE[0]}")/../e2e/adapter_lib.bash"

# CTest's code for a test that did not run: this one and the reason, where the firmware, its
# tools or the simulator are missing.
firmware_skip=77
firmware_needed() {
    [ -z "${AR488_MISSING:-}" ] && return 0
    echo "skipped: $AR488_MISSING"
    exit "$firmware_skip"
}

# firmware_start [runner options]: the runner, as adapter_start starts the emulator.
firmware_start() {
    emulator=$AR488_RUNNER
    adapter_start "${AR488_ELF:-$AR488_FIRMWARE}" "$@"
    firmware_started=1
}

# pulvar-cli's runs (cli_lib.bash) find the trace emptied, not removed: the runner keeps it open.
cli_fresh_trace() { : >"$GPIB_BENCH_TRACE"; }

# Ends the runner and shows its figures (simulated time against the wall clock's).
firmware_stop() {
    adapter_stop
    sed -n 's/^ar488-firmware: \(simulated .*\)/firmware runner: \1/p' "$work/emulator.err"
}

# What the adapter answered to the line sent, as the library received it (C-escaped): what came
# back after it, up to the answer to "++ver real", which the library sends behind such a line.
firmware_answer() {
    sed -n "/ host> \"$1\"\$/,\$p" "$GPIB_ADAPTER_TRACE" |
        sed -n 's/^[0-9.]* host< "\(.*\)"$/\1/p' | tr -d '\n' | sed 's/AR488 GPIB controller.*//'
}
