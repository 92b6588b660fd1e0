# Values saved and "Start with U && I Saved Settings" checked from the menu with the mouse are
# still there after Exit and a new start: the saved values go to the supply at start, and the
# menu entry has its check mark.
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2
lacks_state "Start with U & I Saved Settings" enabled ||
    e2e_fail "nothing saved, yet starting with it offered"

type_into "$window" 12.5
e2e_keys "$window" Tab 0 period 8 Return
expect_shown "Actual current" 0.80
# Apply still asks for the output state; a click before its end is ignored.
settled
click "Save Settings"
within 10 is_enabled "Start with U & I Saved Settings" || e2e_fail "saving offers no start with it"
settled
click Settings "Start with U & I Saved Settings"
exit_from_menu
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"

# The supply, switched off meanwhile, has forgotten its settings.
mark=$(trace_mark)
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2
expect_shown "Actual voltage" 12.5
expect_shown "Actual current" 0.80
sent=$(since "$mark" | grep ' pad=5 ' | texts_written | grep -v '?$' | tr '\n' '|')
[ "$sent" == "OUT OFF|VNEG 0.00|INEG 0.40|VPOS 12.5|IPOS 0.80|" ] || e2e_fail "start sent: $sent"
click Settings
within 10 is_checked "Start with U & I Saved Settings" || e2e_fail "no check mark after the restart"
snap settings-menu
e2e_keys "$window" Escape
