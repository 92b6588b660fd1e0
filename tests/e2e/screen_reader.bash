# The window as a screen reader hears it, for the runs that read it from outside: a session bus
# and an accessibility bus of the run's own, the reader (journeys/a11y.py), and whether the
# window is in the middle of an exchange with the supply. Needs e2e_lib.bash, and $work as
# e2e_setup leaves it; start_session_bus before the program starts.

# A session bus of the run's own, started after the display so that the accessibility bus it
# starts belongs to this display and this runtime folder, not to a run beside it. It ends with
# the run (e2e_cleanup).
start_session_bus() {
    dbus-daemon --session --nofork --print-address=3 3>"$work/bus" 2>/dev/null &
    bus_pid=$!
    within 5 test -s "$work/bus" || e2e_fail "no session bus"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
    export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    # Qt joins the accessibility bus only if it is there when the program starts.
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null || e2e_fail "no accessibility bus"
}

a11y() {
    timeout 10 /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/journeys/a11y.py" "$@" \
        2>>"${artifacts:-$work}/a11y.log"
}

# No exchange with the supply runs in the main window ($window): while one does, a click or key
# that would start another is ignored, and the window is busy to a screen reader.
idle() { [ "$(a11y busy "$(xdotool getwindowname "$window" 2>/dev/null)")" == idle ]; }

# Waits until the window has ended the exchange under way. Call it once something shows that
# the exchange has begun (its line in the trace, its box), so that "idle" cannot be the moment
# before it.
settled() { within "$e2e_patience" idle || e2e_fail "the window is still busy with the supply"; }
