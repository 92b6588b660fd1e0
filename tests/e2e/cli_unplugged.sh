#!/usr/bin/env bash
# A supply that stops listening: the window's error texts on standard error, exit status 6, and
# nothing sent after the failure; a log keeps its whole rows. (The bench's supply hears its
# last message, answers nothing more, and later writes find no listener.)
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
cli_setup "$@"

# "ID?", "IPOS?" for the current check, then "VPOS 12.5" is the last it hears.
export GPIB_BENCH="5=PS5010;unplug=5@3"
cli_run set --voltage 12.5
cli_expect_status 6
cli_expect_no_out
cli_expect_err "pulvar-cli: GPIB ERROR # 2: No listener on write function."
grep -q 'Select OK' "$work/err" && cli_fail "a question nobody can answer"
tail -n 1 "$GPIB_BENCH_TRACE" | grep -q ' ibwrt .*data="VPOS?" -> sta=0x8' ||
    cli_fail "something after the failed write"

# One whole reading (three queries after "ID?"); the next query goes unanswered.
export GPIB_BENCH="5=PS5010;unplug=5@5"
cli_run log --interval 0.3
cli_expect_status 6
cli_expect_err "pulvar-cli: I/O Error: Read cycle failed. Operation aborted."
[ "$(wc -l <"$work/out")" -eq 2 ] || cli_fail "the log's whole rows"
[ "$(grep -c ' ibwrt ' "$GPIB_BENCH_TRACE")" -eq 5 ] || cli_fail "a write after the failed read"

cli_expect_no_settings
echo "pulvar-cli unplugged supply: ok"
