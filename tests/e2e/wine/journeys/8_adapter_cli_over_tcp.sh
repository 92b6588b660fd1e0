# pulvar-cli.exe through the launcher on an emulated Prologix GPIB-ETHERNET over TCP (Winsock):
# identify, with the launcher ending with pulvar-cli's exit status.
. "$(dirname "${BASH_SOURCE[0]}")/../wine_adapter_lib.bash"
export GPIB_BENCH="5=PS5010"
wine_adapter_start prologix --tcp
[[ "$adapter_place" == tcp:127.0.0.1:* ]] || e2e_fail "not on TCP: $adapter_place"

wine_run "$launcher" "$adapter_place" -- pulvar-cli.exe identify >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] || e2e_fail "exit status $status: $(cat "$work/err")"
[ "$(tr -d '\r' <"$work/out")" == "PS5010 at GPIB address 5" ] ||
    e2e_fail "said: $(cat "$work/out")"
trace_has 'ibrd .*pad=5 data="ID TEK/PS5010' || e2e_fail "no identification in the trace"
