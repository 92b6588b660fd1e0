# The supply stops listening mid-run (its cable pulled right after it switched its output on):
# reading it back meets the "GPIB ERROR # 2" box, and OK carries on; Apply meets the box again,
# OK carries on to the next command, and Cancel there ends the program at once, with nothing
# more on the bus and the store as it was.
# A first run leaves values and "Save U && I Settings at Exit" in the store.
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2
click Settings "Save U & I Settings at Exit"
exit_from_menu
[ -s "$store" ] || e2e_fail "the first run stored nothing"
before=$(md5sum <"$store")

# Identification, the output switched off, both outputs read, then "OUT ON": 9 messages.
start_on_bench "5=PS5010;unplug=5@9" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2
# Unchecked in this run, which a normal end would store.
click Settings "Save U & I Settings at Exit"
e2e_keys "$window" space
answer_box "Change Output" "Confirm turning ON output." Return
answer_box "GPIB ERROR # 2" "No listener on write function." Return
# The query that failed still has its pause to run: Enter before its end would start nothing.
settled

# Waits for the next box of that title, not the one just answered.
next_box() {
    local id
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && [ "$id" != "$box" ]
}

type_into "$window" 5
e2e_keys "$window" Return
see_box "GPIB ERROR # 2" "No listener on write function." \
    "Select OK to continue or Cancel to terminate program."
failed=$(since "$run_start" | grep -c ' ibwrt .*err=2 ')
e2e_keys "$box" Return
within 10 next_box "GPIB ERROR # 2" || e2e_fail "OK does not carry on"
run_has ' ibwrt .*err=2 ' $((failed + 1)) || e2e_fail "OK carried on without writing"
see_box "GPIB ERROR # 2" "No listener on write function."
click Cancel

e2e_wait_exit || e2e_fail "still running after Cancel"
[ "$exit_status" -eq 1 ] || e2e_fail "exit status $exit_status after Cancel"
tail -n 1 "$GPIB_BENCH_TRACE" | grep -q ' ibwrt .*err=2 ' ||
    e2e_fail "bus calls after Cancel: $(tail -n 3 "$GPIB_BENCH_TRACE")"
[ "$(md5sum <"$store")" == "$before" ] || e2e_fail "the store changed: $(cat "$store")"
