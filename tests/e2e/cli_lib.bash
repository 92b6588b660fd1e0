# Shared steps of the command-line runs: pulvar-cli against the bench library, its trace and
# its output read back. No display is needed.

. "$(dirname "${BASH_SOURCE[0]}")/trace_lib.bash"

cli_setup() {
    cli=$3
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export LD_LIBRARY_PATH="$2"
    export GPIB_BENCH_TRACE="$work/trace"
    export GPIB_BENCH_STATE="$work/state"
    export HOME="$work/home"
    export XDG_CONFIG_HOME="$work/config"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME"
}

# The trace before each run: none, so that a run that loads no driver leaves none.
cli_fresh_trace() { rm -f "$GPIB_BENCH_TRACE"; }

# Runs pulvar-cli with these arguments, with a fresh trace; sets $status.
cli_run() {
    cli_fresh_trace
    "$cli" "$@" >"$work/out" 2>"$work/err" </dev/null
    status=$?
    cli_runs="${cli_runs:-}pulvar-cli $*"$'\n'
}

# The state the supplies keep between runs, as the bench's state file writes it.
cli_bench_state() { printf '# gpib bench state: <pad> <KIND> <settings>\n%s\n' "$@" >"$GPIB_BENCH_STATE"; }

cli_fail() {
    echo "FAIL: $*" >&2
    echo "--- runs" >&2
    printf '%s' "${cli_runs:-}" >&2
    for part in out err trace; do
        echo "--- $part" >&2
        cat "$work/$part" >&2 2>/dev/null || true
    done
    exit 1
}

cli_expect_status() { [ "$status" -eq "$1" ] || cli_fail "exit status $status, not $1"; }
cli_expect_out() { [ "$(cat "$work/out")" == "$1" ] || cli_fail "standard output is not: $1"; }
cli_expect_err() { grep -qF -- "$1" "$work/err" || cli_fail "standard error lacks: $1"; }
cli_expect_no_out() { [ ! -s "$work/out" ] || cli_fail "standard output not empty"; }

# The window's settings store is never touched.
cli_expect_no_settings() {
    local written
    written=$(find "$XDG_CONFIG_HOME" "$HOME" -mindepth 1)
    [ -z "$written" ] || cli_fail "settings written: $written"
}
