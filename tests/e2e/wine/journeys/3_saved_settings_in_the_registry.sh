# Save Settings and "Start with U & I Saved Settings", both from the keyboard, then Exit: the
# values and the option are in the registry where earlier Windows releases kept them, and the
# next start sends the saved values to the supply, which has forgotten them meanwhile.
forget_settings
export GPIB_BENCH_STATE="$work/state"
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2

type_into "$window" 12.5
e2e_keys "$window" Tab 0 period 8 Return
within 10 trace_has 'ibrd .*data="IPOS 0.800;"' || e2e_fail "0.8 A was not applied"
# Apply still asks for the output state; Save Settings before its end would be ignored.
settled
e2e_keys "$window" alt+v
values_stored() { registry_settings PS5010 | grep -qx 'U+=12.5'; }
within 10 values_stored || e2e_fail "Save Settings stored: $(registry_settings PS5010 | tr '\n' ' ')"
# Saving offers the start with the saved values only as its last step.
settled
# Settings menu, then the entry's access key. Under wine the open menu is a window of its own,
# titled for the program.
menu_open() { xdotool search --onlyvisible --name '^Pulvar$' >/dev/null 2>&1; }
menu_closed() { ! menu_open; }
e2e_keys "$window" alt+s
within 10 menu_open || e2e_fail "Alt+S opens no Settings menu"
e2e_keys "$window" s
within 10 menu_closed || e2e_fail "S leaves the Settings menu open"
snap saved
e2e_keys "$window" alt+x
e2e_wait_exit && [ "$exit_status" -eq 0 ] || e2e_fail "no clean exit"

stored=$(registry_settings PS5010 | tr '\n' '|')
for item in "U+=12.5" "I+=0.80" "Saved Exist=True" "Start with saved settings=True"; do
    grep -qF "|$item|" <<<"|$stored" || e2e_fail "the registry holds: $stored"
done

# The supply, switched off meanwhile, has forgotten its settings.
export GPIB_BENCH_STATE="$work/state-after"
mark=$(trace_mark)
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
within 30 has_since "$mark" 'ibrd .*data="IPOS 0.800;"' || e2e_fail "the start read no 0.8 A"
sent=$(since "$mark" | grep ' pad=5 ' | texts_written | grep -v '?$' | tr '\n' '|')
[ "$sent" == "OUT OFF|VNEG 0.00|INEG 0.40|VPOS 12.5|IPOS 0.80|" ] || e2e_fail "start sent: $sent"
e2e_keys "$window" alt+x
e2e_wait_exit && [ "$exit_status" -eq 0 ] || e2e_fail "no clean exit"
