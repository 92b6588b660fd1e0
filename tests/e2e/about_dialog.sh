#!/usr/bin/env bash
# The real program with a PS5010: Alt+A opens the About dialog, Esc closes it, Alt+A opens it
# again and Enter closes it; the program runs on, and Exit then ends it normally.
set -uo pipefail
. "$(dirname "$0")/e2e_lib.bash"
e2e_setup "$1" "$2"
export GPIB_BENCH="7=PS5010"

# Waits up to 10 s until no window has this title.
wait_no_window() {
    for _ in $(seq 100); do
        xdotool search --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

e2e_start
main=$(e2e_wait_window '^Pulvar PS5010, v1\.51 / ZQ$') || e2e_fail "caption"

for close_key in Escape Return; do
    e2e_keys "$main" alt+a
    about=$(e2e_wait_window '^About Pulvar$') || e2e_fail "Alt+A opens no About dialog"
    e2e_keys "$about" "$close_key"
    wait_no_window '^About Pulvar$' || e2e_fail "$close_key leaves the About dialog open"
done

kill -0 "$program_pid" 2>/dev/null || e2e_fail "the program ended with the dialog"
e2e_keys "$main" alt+x
e2e_wait_exit || e2e_fail "Exit does not end the program"
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
echo "About dialog run: ok"
