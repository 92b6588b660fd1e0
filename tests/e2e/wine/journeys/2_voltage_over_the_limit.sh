# 40 V typed for a PS5010: the "Voltage Error" box names its limit, and No sends nothing; the
# next value within the limit is the first setting that goes out.
export GPIB_BENCH_STATE="$work/state"
start_on_bench "5=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2

mark=$(trace_mark)
type_into "$window" 40
e2e_keys "$window" Return
answer_box "Voltage Error" "Must be less than 32 V." n
within 10 no_window '^Voltage Error$' || e2e_fail "No leaves the box open"
# The box was part of Apply; what is typed next applies only once Apply has ended.
settled

type_into "$window" 20
e2e_keys "$window" Return
within 10 has_since "$mark" 'ibwrt .*data="VPOS 20"' || e2e_fail "20 V was not sent"
# Between the two, nothing but what Apply asks before it sends.
[ "$(since "$mark" | texts_written | grep -v '?$' | head -n 1)" == "VPOS 20" ] ||
    e2e_fail "sent: $(since "$mark" | texts_written | tr '\n' '|')"
e2e_keys "$window" alt+x
e2e_wait_exit && [ "$exit_status" -eq 0 ] || e2e_fail "no clean exit"
