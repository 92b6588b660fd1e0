# The steps of a journey: what a person does (keys, typing, menu clicks with the mouse, answers
# to boxes) and what they can see (window titles, box texts and shown values through the
# accessibility bus, screenshots), with the bench's trace and the settings store read afterwards.

. "$(dirname "${BASH_SOURCE[0]}")/../screen_reader.bash"

journey_begin() {
    e2e_setup "$1" "$2"
    artifacts=$4
    rm -rf "$artifacts" && mkdir -p "$artifacts"
    shot=0
    clipboard_pid=""
    bus_pid=""
    trap journey_end EXIT
    store="$XDG_CONFIG_HOME/Pulvar/Pulvar.conf"
    start_session_bus
}

# Keeps what the journey saw, then ends every process it started; the journey's status is the
# one given, else the last command's.
journey_end() {
    local status=${1:-$?}
    [ "$status" -ne 0 ] && snap failure
    cp "$GPIB_BENCH_TRACE" "$work/stdout" "$work/stderr" "$artifacts/" 2>/dev/null
    [ -e "$store" ] && cp "$store" "$artifacts/"
    [ -n "$clipboard_pid" ] && kill "$clipboard_pid" 2>/dev/null
    e2e_cleanup
    exit "$status"
}

# A screenshot of the whole screen into the artifacts folder, numbered in the journey's order.
snap() {
    shot=$((shot + 1))
    import -window root "$artifacts/$(printf %02d "$shot")-$1.png" 2>/dev/null
}

no_window() { ! xdotool search --name "$1" >/dev/null 2>&1; }

# The text of the box or window titled so, its label texts one per line.
box_text() { a11y text "$1"; }

# What the window shows: a value label by its description ("Actual voltage", "Actual current",
# "Output state") or an entry field by its name ("New voltage", "New current").
shown() { a11y value "$1"; }

shows() { [ "$(shown "$1")" == "$2" ]; }

# Waits until the window shows this value, and says what it showed instead when it never does.
expect_shown() {
    within 10 shows "$1" "$2" || e2e_fail "$1 shows '$(shown "$1")', not '$2'"
}

# The states of a control or menu entry (its check mark, whether it is enabled), as a screen
# reader tells them.
has_state() { grep -qx "$2" <<<"$(a11y states "$1")"; }
lacks_state() {
    local states
    states=$(a11y states "$1") && ! grep -qx "$2" <<<"$states"
}
is_checked() { has_state "$1" checked; }
is_enabled() { has_state "$1" enabled; }

# Clicks with the mouse, in turn, on each control or menu entry named, once it shows.
click() {
    local name where
    for name in "$@"; do
        within 10 a11y centre "$name" || e2e_fail "no '$name' to click"
        where=$(a11y centre "$name")
        # shellcheck disable=SC2086 # "x y"
        timeout 10 xdotool mousemove --sync $where click 1
    done
}

# Types text into the focused field of a window, character by character.
type_into() {
    xdotool windowactivate "$1" 2>/dev/null
    timeout 10 xdotool windowfocus --sync "$1"
    timeout 10 xdotool type --clearmodifiers --delay 30 "$2"
}

# Puts text on the clipboard, as copying it in another program would.
copy_to_clipboard() {
    [ -n "$clipboard_pid" ] && kill "$clipboard_pid" 2>/dev/null
    printf %s "$1" | xclip -quiet -selection clipboard >/dev/null 2>&1 &
    clipboard_pid=$!
    within 5 clipboard_holds "$1" || e2e_fail "the clipboard never held '$1'"
}

clipboard_holds() { [ "$(xclip -o -selection clipboard 2>/dev/null)" == "$1" ]; }

# Checks that the window or box titled so says each text given (read aloud, lines may be joined).
box_says() {
    local title=$1 text said
    shift
    within 10 box_text "$title" || e2e_fail "'$title' cannot be read"
    text=$(box_text "$title")
    for said in "$@"; do
        grep -qF -- "$said" <<<"$text" || e2e_fail "'$title' says: ${text//$'\n'/|}"
    done
}

# Waits for a box titled so, checks that it says each text given and keeps a screenshot of it;
# its window is then in $box.
see_box() {
    local title=$1
    shift
    box=$(e2e_wait_window "^$title\$") || e2e_fail "no '$title' box"
    box_says "$title" "$@"
    snap "$(tr -cs 'a-z0-9\n' - <<<"${title,,}")"
}

# Sees a box saying the text given and answers it with the keys given.
answer_box() {
    see_box "$1" "$2"
    shift 2
    e2e_keys "$box" "$@"
}

# Trace lines so far; a later "since" reads only what came after.
trace_mark() { cat "$GPIB_BENCH_TRACE" 2>/dev/null | wc -l; }
since() { tail -n +"$(($1 + 1))" "$GPIB_BENCH_TRACE"; }

# The trace holds a line matching the pattern, at least n times: in all, after a mark, or in
# this run.
trace_has() { [ "$(grep -c -- "$1" "$GPIB_BENCH_TRACE")" -ge "${2:-1}" ]; }
has_since() { [ "$(since "$1" | grep -c -- "$2")" -ge "${3:-1}" ]; }
run_has() { has_since "$run_start" "$@"; }

# Starts the program on the bench given and waits for its window, titled with the supply's name.
start_on_bench() {
    export GPIB_BENCH=$1
    run_start=$(trace_mark)
    e2e_start
    window=$(e2e_wait_window "$2") || e2e_fail "no window titled '$2'"
}

# Waits until this run's start-up has read the supply back (its output state read n times: the
# PS5010's two outputs are both read at start) and has ended.
started() {
    within "$e2e_patience" run_has ' ibrd .*data="\(FS\)\?OUT' "$1" ||
        e2e_fail "the start-up read nothing"
    settled
    snap started
}

# Ends the program from the menu bar with the mouse and waits for its end (status in
# exit_status).
exit_from_menu() {
    click "   Exit   "
    e2e_wait_exit || e2e_fail "Exit does not end the program"
}
