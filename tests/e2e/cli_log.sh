#!/usr/bin/env bash
# pulvar-cli log: a header and one CSV row per read-back; Ctrl+C ends it after the reading under
# way with every row whole and exit status 0.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
. "$(dirname "$0")/e2e_lib.bash"  # within
cli_setup "$@"
export GPIB_BENCH="5=PS5010"
cli_bench_state "5 PS5010 VPOS 12.50;IPOS 0.400;VNEG 0.00;INEG 0.400;FSOUT ON;"

row='^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}(Z|[+-][0-9]{2}:[0-9]{2}),12\.5,0\.40,ON$'
well_formed() {
    [ "$(head -n 1 "$work/out")" == "time,volts,amperes,output" ] || cli_fail "header"
    [ "$(tail -n +2 "$work/out" | grep -cvE "$row")" -eq 0 ] || cli_fail "a row is not whole"
}

cli_run log --count 3 --interval 0.3
cli_expect_status 0
well_formed
[ "$(wc -l <"$work/out")" -eq 4 ] || cli_fail "not three rows"
[ "$(sent_to 5 | tr '\n' ' ')" == "$(printf 'VPOS? IPOS? FSOUT? %.0s' 1 2 3)" ] ||
    cli_fail "three read-backs: $(sent_to 5 | tr '\n' ' ')"

# Ctrl+C once two rows are out. The first run's rows are gone before this one starts: the
# background run empties its output only once it gets to run, and until then they would count.
rm -f "$GPIB_BENCH_TRACE" "$work/out"
"$cli" log --interval 0.3 >"$work/out" 2>"$work/err" </dev/null &
pid=$!
two_rows_out() { [ "$(wc -l <"$work/out")" -ge 3 ]; }
within 10 two_rows_out || cli_fail "no two rows within 10 s"
kill -INT "$pid"
wait "$pid"
status=$?
cli_expect_status 0
well_formed
rows=$(($(wc -l <"$work/out") - 1))
[ "$rows" -ge 2 ] || cli_fail "rows before Ctrl+C: $rows"
[ "$(sent_to 5 | wc -l)" -eq $((rows * 3)) ] || cli_fail "a reading without its row"
tail -n 1 "$GPIB_BENCH_TRACE" | grep -q ' ibtmo ' || cli_fail "the last read-back did not end"

cli_expect_no_settings
echo "pulvar-cli log: ok"
