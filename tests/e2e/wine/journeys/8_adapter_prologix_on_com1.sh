# "Pulvar on a GPIB adapter" on an emulated Prologix GPIB-USB on COM1, named as the launcher's
# argument (under wine COM1 has no USB identity to be found by): the PS5010 identified over the
# adapter, 12.5 and Enter set and read back; the adapter's lines in the library's trace.
. "$(dirname "${BASH_SOURCE[0]}")/../wine_adapter_lib.bash"
export GPIB_BENCH="5=PS5010" GPIB_ADAPTER_TRACE="$work/adapter.trace"
window_on_com1 prologix
trace_has 'ibrd .*pad=5 data="ID TEK/PS5010' || e2e_fail "no identification"
grep -q 'host> "++ver"' "$GPIB_ADAPTER_TRACE" || e2e_fail "the library asked no ++ver"

mark=$(trace_mark)
type_into "$window" 12.5
e2e_keys "$window" Return
within 10 has_since "$mark" 'ibwrt .*data="VPOS 12.5"' || e2e_fail "no VPOS 12.5"
within 10 has_since "$mark" 'ibrd .*data="VPOS 12.50;"' || e2e_fail "no read-back of 12.5"
snap applied
e2e_keys "$window" alt+x
e2e_wait_exit || e2e_fail "Exit does not end the program"
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
cp "$GPIB_ADAPTER_TRACE" "$artifacts/"
