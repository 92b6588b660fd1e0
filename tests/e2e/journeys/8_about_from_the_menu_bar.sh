# The About dialog, opened with the mouse from the menu bar, names the supply and its address
# and closes with Esc; Alt+A opens it again and Enter closes it; the program runs on until Exit.
start_on_bench "7=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2

click About
about=$(e2e_wait_window '^About Pulvar$') || e2e_fail "the About dialog does not open"
box_says "About Pulvar" "Version $PULVAR_VERSION" "Connected to PS5010 at GPIB address 7" \
    "Max Voltage: 32 V" "Max Current above 15 V: 0.75 A"
snap about
e2e_keys "$about" Escape
within 10 no_window '^About Pulvar$' || e2e_fail "Esc leaves it open"

e2e_keys "$window" alt+a
about=$(e2e_wait_window '^About Pulvar$') || e2e_fail "Alt+A opens no About dialog"
e2e_keys "$about" Return
within 10 no_window '^About Pulvar$' || e2e_fail "Enter leaves it open"

exit_from_menu
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
