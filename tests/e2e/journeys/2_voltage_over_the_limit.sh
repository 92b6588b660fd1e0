# An HP 6032A asked for 70 V: the "Voltage Error" box says the limit; Enter takes its default
# answer, Yes, and the limit goes to the supply in its own form.
start_on_bench "5=HP6032A" '^Pulvar HP 6032A, v1\.51 / ZQ$'
started 1

type_into "$window" 70
expect_shown "New voltage" 70
e2e_keys "$window" Return
answer_box "Voltage Error" "Must be less than 60 V." Return

within 10 trace_has 'ibwrt .*data="VSET  60.0"' || e2e_fail "the limit was not sent"
expect_shown "Actual voltage" 60.0
[ "$(written_to 5 | grep -c '^VSET ')" -eq 1 ] || e2e_fail "sent: $(written_to 5 | tr '\n' '|')"
expect_shown "New voltage" ""
snap applied
