# "Pulvar on a GPIB adapter" on an emulated AR488 on COM1, which resets as its port opens: the
# library waits it out, searches the bus with the AR488's own listener search and finds the
# PS5010 behind a silent listener.
. "$(dirname "${BASH_SOURCE[0]}")/../wine_adapter_lib.bash"
export GPIB_BENCH="3=SILENT;5=PS5010" GPIB_ADAPTER_TRACE="$work/adapter.trace"
window_on_com1 ar488
grep -q 'host> "++fndl all"' "$GPIB_ADAPTER_TRACE" || e2e_fail "no AR488 listener search"
trace_has 'ibrd .*pad=5 data="ID TEK/PS5010' || e2e_fail "no identification"
e2e_keys "$window" alt+x
e2e_wait_exit || e2e_fail "Exit does not end the program"
[ "$exit_status" -eq 0 ] || e2e_fail "exit status $exit_status"
cp "$GPIB_ADAPTER_TRACE" "$artifacts/"
