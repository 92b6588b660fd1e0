# pulvar-cli.exe in a console, on the bench's ni4882.dll named by PULVAR_GPIB_LIBRARY: identify,
# read and set with their outputs and exit statuses, a refused value, no supply, no library.
. "$(dirname "${BASH_SOURCE[0]}")/../../cli_lib.bash"
export PULVAR_GPIB_LIBRARY="$installed\\bench\\ni4882.dll" GPIB_BENCH_STATE="$work/state"
pulvar_cli() { wine_run "$installed\\pulvar-cli.exe" "$@" | tr -d '\r'; }
cli=pulvar_cli

export GPIB_BENCH="3=SILENT;5=PS5010"
cli_run identify
cli_expect_status 0
cli_expect_out "PS5010 at GPIB address 5"

cli_run set --voltage 12.5 --current 0.8
cli_expect_status 0
cli_expect_out "12.5 V  0.80 A  OFF"
grep -q 'ibwrt .*data="VPOS 12.5"' "$GPIB_BENCH_TRACE" || cli_fail "no VPOS 12.5"

cli_run --json read
cli_expect_status 0
cli_expect_out '{"current":0.8,"output":"OFF","voltage":12.5}'

cli_run set --voltage 40
cli_expect_status 5
cli_expect_err "pulvar-cli: Voltage Error: Invalid voltage setting ! Must be less than 32 V."
! grep -q 'data="VPOS 40' "$GPIB_BENCH_TRACE" || cli_fail "40 V was sent"

export GPIB_BENCH="4=DM5010"
cli_run identify
cli_expect_status 4

export PULVAR_GPIB_LIBRARY="$installed\\no-such-folder\\ni4882.dll"
cli_run identify
cli_expect_status 3
cli_expect_err "could not be loaded"
