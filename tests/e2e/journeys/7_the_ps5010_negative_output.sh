# The PS5010's "-" output chosen with the mouse: 5 V go to it, Refresh reads both outputs and
# stays on "-", and switching between "+" and "-" shows each output's values without asking
# the supply anything.
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2

mark=$(trace_mark)
click -
type_into "$window" 5
e2e_keys "$window" Return
within 10 trace_has 'ibwrt .*data="VNEG 5"' || e2e_fail "no VNEG 5"
# The caption shows once "VNEG?" is read; Apply still asks "FSOUT?" after it.
settled
expect_shown "Actual voltage" 5.00
has_since "$mark" ' ibwrt .*data="FSOUT?"' || e2e_fail "Apply did not read the output state"
refresh_from=$(trace_mark)
click Refresh
within 10 has_since "$refresh_from" ' ibrd .*data="FSOUT ' 2 || e2e_fail "Refresh read nothing"
# Refresh chooses "-" again only after its last read.
settled
expect_shown "Actual voltage" 5.00
snap negative-output
has_state - checked || e2e_fail "Refresh left the \"-\" output"
queries=$(since "$refresh_from" | texts_written | tr '\n' '|')
[ "$queries" == "VNEG?|INEG?|FSOUT?|VPOS?|IPOS?|FSOUT?|" ] || e2e_fail "Refresh asked: $queries"
since "$mark" | texts_written | grep -q 'POS [0-9]' && e2e_fail "a value went to the + output"

quiet=$(trace_mark)
click +
expect_shown "Actual voltage" 0.00
snap positive-output
click -
expect_shown "Actual voltage" 5.00
[ "$(trace_mark)" -eq "$quiet" ] || e2e_fail "switching outputs used the bus: $(since "$quiet")"
