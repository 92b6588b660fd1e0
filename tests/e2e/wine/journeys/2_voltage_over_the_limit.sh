# 40 V typed for a PS5010: the "Voltage Error" box names its limit, and No sends nothing, leaving
# the window as it was; the next value within the limit goes out.
export GPIB_BENCH_STATE="$work/state"
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2

mark=$(trace_mark)
type_into "$window" 40
e2e_keys "$window" Return
answer_box "Voltage Error" "Must be less than 32 V." n
within 10 no_window '^Voltage Error$' || e2e_fail "No leaves the box open"
sleep 1
[ -z "$(since "$mark" | texts_written | grep -v '?$')" ] ||
    e2e_fail "sent after No: $(since "$mark" | texts_written | tr '\n' '|')"

type_into "$window" 20
e2e_keys "$window" Return
within 10 has_since "$mark" 'ibwrt .*data="VPOS 20"' || e2e_fail "20 V was not sent"
e2e_keys "$window" alt+x
e2e_wait_exit && [ "$exit_status" -eq 0 ] || e2e_fail "no clean exit"
