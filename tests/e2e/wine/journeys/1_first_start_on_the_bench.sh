# "Pulvar on the simulated bench" with a PS5010 and nothing stored: the supply is identified
# through ni4882.dll's thread accessors (no registration), the first activation switches the
# output off and reads both outputs, the window is titled for the supply; 12.5 and Enter set the
# "+" output and read it back; Exit clears the supply. The supply keeps its settings in the
# user's local application data.
forget_settings
state=$(find "$drive_c/users" -path '*/AppData/Local/Pulvar/bench-state.txt' 2>/dev/null)
[ -z "$state" ] || rm -f "$state"

start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2
trace_has 'ibwrt .*pad=5 data="ID?"' && trace_has 'ibrd .*pad=5 data="ID TEK/PS5010' ||
    e2e_fail "no identification"
! trace_calls | grep -q RegisterGpibGlobalsForThread || e2e_fail "registration on ni4882.dll"
expected="OUT OFF|VNEG?|INEG?|FSOUT?|VPOS?|IPOS?|FSOUT?|"
[ "$(sent_to 5 | tr '\n' '|')" == "$expected" ] || e2e_fail "start-up sent: $(sent_to 5 | tr '\n' '|')"

mark=$(trace_mark)
type_into "$window" 12.5
e2e_keys "$window" Return
within 10 has_since "$mark" 'ibwrt .*data="VPOS 12.5"' || e2e_fail "no VPOS 12.5"
within 10 has_since "$mark" 'ibrd .*data="VPOS 12.50;"' || e2e_fail "no read-back of 12.5"
# Apply has shown what it read and reads on; the picture and Exit wait for its end.
settled
import -window "$window" -frame "$artifacts/window.png" 2>/dev/null
snap applied

mark=$(trace_mark)
e2e_keys "$window" alt+x
e2e_wait_exit || e2e_fail "Exit does not end the program"
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
since "$mark" | grep -q ' ibclr .*pad=5 ' || e2e_fail "no device clear at exit"
state=$(find "$drive_c/users" -path '*/AppData/Local/Pulvar/bench-state.txt')
grep -q '^5 PS5010 VPOS 12.50;' "$state" 2>/dev/null || e2e_fail "the bench kept no state"
rm -f "$state"
