# Text copied from elsewhere and pasted into the voltage field keeps only what typing could have
# put there: "1;OUT ON" becomes 1, Enter applies 1 V, and nothing else reaches the supply.
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2

copy_to_clipboard "1;OUT ON"
e2e_keys "$window" ctrl+v
expect_shown "New voltage" 1
mark=$(trace_mark)
e2e_keys "$window" Return

within 10 shows "Actual voltage" 1.00 || e2e_fail "the supply shows '$(shown "Actual voltage")'"
commands=$(since "$mark" | texts_written | grep -v '?$')
[ "$commands" == "VPOS 1" ] || e2e_fail "sent: $(echo "$commands" | tr '\n' '|')"
expect_shown "Output state" OFF
snap applied
