# Shared steps of the end-to-end runs: a virtual X display with a window manager, the real
# program started against the bench library, polling instead of fixed waits.

. "$(dirname "${BASH_SOURCE[0]}")/trace_lib.bash"

# Polls a command for up to the given seconds until it succeeds.
within() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

e2e_setup() {
    program=$1
    bench_dir=$2
    work=$(mktemp -d)
    trap e2e_cleanup EXIT
    # No reset when the last client leaves: a poll's client leaving before the window manager has
    # connected would reset the server under it, and the window manager would fail to start.
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    within 20 test -s "$work/display" || e2e_fail "Xvfb gave no display"
    export DISPLAY=":$(cat "$work/display")"
    openbox >/dev/null 2>"$work/wm.err" &
    wm_pid=$!
    # Keys typed before the window manager runs can go astray: wait for it to announce itself.
    within 20 wm_announced || e2e_fail "no window manager on $DISPLAY: $(cat "$work/wm.err")"
    export LD_LIBRARY_PATH="$bench_dir"
    export GPIB_BENCH_TRACE="$work/trace"
    export XDG_CONFIG_HOME="$work/config"
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export QT_QPA_PLATFORM=xcb
}

wm_announced() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

e2e_cleanup() {
    [ -n "${program_pid:-}" ] && kill "$program_pid" 2>/dev/null
    # The accessibility bus, where one was started, ends with the session bus.
    [ -n "${bus_pid:-}" ] && kill "$bus_pid" 2>/dev/null
    [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}

e2e_start() {
    "$program" >"$work/stdout" 2>"$work/stderr" &
    program_pid=$!
}

# How long to wait for a window or for the program's end (a program under wine starts slower).
e2e_patience=${e2e_patience:-20}

# Waits up to e2e_patience seconds for a window whose title matches the pattern; prints its id.
e2e_wait_window() {
    found_window=""
    within "$e2e_patience" window_or_end "$1"
    [ -n "$found_window" ] && {
        echo "$found_window"
        return 0
    }
    echo "no window titled '$1'" >&2
    return 1
}

# A window whose title matches the pattern, its id left in found_window; or the program's end.
window_or_end() {
    found_window=$(xdotool search --name "$1" 2>/dev/null | head -n 1)
    [ -n "$found_window" ] || program_ended
}

program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }

# Focuses a window and types keys into it.
e2e_keys() {
    local window=$1
    shift
    xdotool windowactivate "$window" 2>/dev/null
    timeout 10 xdotool windowfocus --sync "$window"
    timeout 10 xdotool key --clearmodifiers "$@"
}

# Waits up to e2e_patience seconds for the program to end and leaves its exit status in
# exit_status. Call it in this shell, not in $(...): only the shell that started the program can
# collect its status.
e2e_wait_exit() {
    within "$e2e_patience" program_ended || return 1
    wait "$program_pid"
    exit_status=$?
    program_pid=""
}

# Starts the program, waits for a box whose title matches the pattern, answers it with Return,
# and checks that the program then ends with status 1, an immediate end (left in exit_status).
e2e_box_ends_program() {
    local box
    e2e_start
    box=$(e2e_wait_window "$1") || e2e_fail "no box titled '$1'"
    e2e_keys "$box" Return
    e2e_wait_exit || e2e_fail "still running after Return"
    [ "$exit_status" -eq 1 ] || e2e_fail "exit status $exit_status after the box '$1'"
}

e2e_fail() {
    echo "FAIL: $*" >&2
    echo "--- trace" >&2
    cat "${GPIB_BENCH_TRACE:-/dev/null}" >&2 || true
    echo "--- stderr" >&2
    cat "$work/stderr" >&2 || true
    exit 1
}
