# The first start with a PS5010 and nothing stored: the output is switched off, both outputs
# are read, 12.5 and Enter set the "+" output, Space in the field switches the output on after
# the question, and Exit from the menu bar clears the supply and switches its output off.
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2

expected="OUT OFF|VNEG?|INEG?|FSOUT?|VPOS?|IPOS?|FSOUT?|"
[ "$(written_to 5 | grep -v '^ID?$' | tr '\n' '|')" == "$expected" ] ||
    e2e_fail "start-up sent: $(written_to 5 | tr '\n' '|')"
expect_shown "Actual voltage" 0.00
expect_shown "Output state" OFF

type_into "$window" 12.5
e2e_keys "$window" Return
within 10 trace_has 'ibwrt .*data="VPOS 12.5"' || e2e_fail "no VPOS 12.5"
# Apply still reads the supply back after showing the voltage; Space before its end is ignored.
settled
expect_shown "Actual voltage" 12.5
snap applied

e2e_keys "$window" space
answer_box "Change Output" "Confirm turning ON output." Return
within 10 trace_has 'ibwrt .*data="OUT ON"' || e2e_fail "no OUT ON"
expect_shown "Output state" ON
expect_shown "New voltage" ""
settled
snap output-on

mark=$(trace_mark)
exit_from_menu
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
since "$mark" | grep -q ' ibclr .*pad=5 ' || e2e_fail "no device clear at exit"
[ "$(since "$mark" | texts_written)" == "OUT OFF" ] ||
    e2e_fail "sent at exit: $(since "$mark" | texts_written | tr '\n' '|')"
