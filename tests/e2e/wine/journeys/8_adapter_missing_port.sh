# "Pulvar on a GPIB adapter" naming a COM port that is not there: Pulvar's "Initialization Error
# 0" box as with a board that is not there, and then, since nothing reads the launcher's standard
# error when the desktop starts it, the library's reason in a box of the launcher's own. (A
# Windows box of its own cannot be copied from under wine as Pulvar's can: its picture is kept,
# and the reason is read where a shell sees it, on standard error.)
. "$(dirname "${BASH_SOURCE[0]}")/../wine_adapter_lib.bash"
launch_on_adapter COM7
see_box "Initialization Error 0" "Correct problem and restart."
e2e_keys "$box" Return
box=$(e2e_wait_window '^Pulvar on a GPIB adapter$') || e2e_fail "no box from the launcher"
snap launcher-box
window_named() { xdotool search --name "$1" >/dev/null 2>&1; }
window_named '^Pulvar on a GPIB adapter$' || e2e_fail "the launcher's box went by itself"
grep -qF "gpib adapter: cannot open COM7: " "$work/stderr" ||
    e2e_fail "the library's reason: $(cat "$work/stderr")"
e2e_keys "$box" Return
e2e_wait_exit || e2e_fail "the launcher does not end"
[ "$exit_status" -eq 1 ] || e2e_fail "exit status $exit_status"
