#!/usr/bin/env bash
# pulvar-cli refuses a wrong command line with the usage text and exit status 2 before the
# driver library is even loaded: without any library on the path, the refusal is the same.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
cli_setup "$@"
bench_dir=$LD_LIBRARY_PATH
export GPIB_BENCH="5=PS5010"

refused() {
    local why=$1
    shift
    for path in "$bench_dir" "$work/no-driver-here"; do
        LD_LIBRARY_PATH=$path cli_run "$@"
        cli_expect_status 2
        cli_expect_no_out
        cli_expect_err "pulvar-cli: $why"
        cli_expect_err "Usage: pulvar-cli"
        [ ! -e "$GPIB_BENCH_TRACE" ] || cli_fail "the bus was used for: $*"
    done
}

refused "no command given"
refused "unknown command 'status'" status
refused "Missing value after '--voltage'." set --voltage
refused "--voltage takes a plain unsigned decimal number such as 12.5, not '-5'" set --voltage -5
refused "--voltage takes a plain unsigned decimal number such as 12.5, not '+5'" set --voltage=+5
refused "--current takes a plain unsigned decimal number such as 12.5, not '0.1A'" set --current 0.1A
refused "--output takes + or -, not 'neg'" read --output neg
refused "output takes on or off, not 'ON'" output ON
refused "--voltage does not apply to read" read --voltage 5
refused "set needs --voltage, --current or both" set --clamp
refused "unexpected argument 'now'" identify now

cli_run --help
cli_expect_status 0
grep -q '^Exit status:' "$work/out" || cli_fail "help without exit statuses"
# The README quotes the help whole.
readme="$(dirname "$0")/../../README.md"
awk '/^`pulvar-cli --help`:$/ { quoted = 1; next }
     quoted && /^```$/ { if (inside) exit; inside = 1; next }
     inside' "$readme" >"$work/readme-help"
diff -u "$work/readme-help" "$work/out" >&2 || cli_fail "the README's help differs"
cli_run --version
cli_expect_status 0
grep -q '^pulvar-cli (Pulvar) [0-9]' "$work/out" || cli_fail "version"
[ ! -e "$GPIB_BENCH_TRACE" ] || cli_fail "the bus was used for help or version"
echo "pulvar-cli command line: ok"
