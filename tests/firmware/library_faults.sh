#!/usr/bin/env bash
# The adapter library's faults that the AR488's own firmware shows, one a run, named by the first
# argument. Each asserts what the library should do, so it fails while the fault is there: CTest
# expects that (WILL_FAIL), and once the library is mended, the test passes as any other.
#   library_faults.sh <fault> <pulvar> <bench library folder> <pulvar-cli> <terminal>
#                     <search_and_ask>
set -uo pipefail
. "$(dirname "$0")/../e2e/e2e_lib.bash"
. "$(dirname "$0")/../e2e/cli_lib.bash"
. "$(dirname "$0")/firmware_lib.bash"
. "$(dirname "$0")/../drivers/program_checks.bash"
firmware_needed
fault=$1
shift
cli_setup "$@"
# A fault shows as a failure, which CTest counts as expected: a run that could not even begin
# must not pass for one. It is counted as not run instead, with the reason.
not_run() {
    echo "not run: $*"
    exit "$firmware_skip"
}
began() {
    local status=$?
    rm -rf "$work"
    if [ "$status" -ne 0 ] && [ -z "${firmware_started:-}" ]; then
        not_run "the firmware runner did not start"
    fi
}
trap began EXIT
terminal=$4
search_and_ask=$5
adapter_use "$2"
export GPIB_BENCH="5=PS5010"
cli_bench_state "5 PS5010 VPOS 5.00;IPOS 1.000;VNEG 0.00;INEG 0.400;FSOUT OFF;"

# The port opened as a user's terminal program would, once the board listens after its reset,
# and told these lines.
tell_port() {
    local port line="" tries=20
    exec {port}<>"$GPIB_ADAPTER"
    stty raw -echo <&$port
    until [[ "$line" == AR488* ]] || [ $tries -eq 0 ]; do
        printf '++ver\n' >&$port
        IFS= read -r -t 0.5 -u $port line
        tries=$((tries - 1))
    done
    printf '%s\n' "$@" >&$port
    # Asked last, so that the others are done when it answers.
    printf '++ver\n' >&$port
    IFS= read -r -t 2 -u $port line
    exec {port}>&-
    [[ "$line" == AR488* ]] || not_run "the port was not told: $*"
}

case $fault in
secondary_listener)
    # Listener search with an instrument on a secondary address: the firmware lists it as
    # "9:96" (the bus byte); the library refuses the whole list, so no supply is found.
    export GPIB_BENCH="3=SILENT;5=PS5010;9=SILENT"
    firmware_start --secondaries 9=96,97
    cli_run identify
    cli_expect_status 0
    cli_expect_out "PS5010 at GPIB address 5"
    ;;
no_fndl)
    # An AR488 whose firmware has no "++fndl" answers "Unrecognized command"; the library gives
    # up instead of searching as it does on a Prologix.
    AR488_ELF=$AR488_FIRMWARE_WITHOUT_FNDL firmware_start
    cli_run identify
    cli_expect_status 0
    cli_expect_out "PS5010 at GPIB address 5"
    ;;
own_lines)
    # Lines the adapter prints on its own: with its flags saved (a greeting, "Send^OK" after
    # each message, "Read^OK" after each answer), as another program may have left them. The
    # library never sets the flags it relies on, and takes such lines for answers.
    firmware_start
    tell_port "++flags 7" "++savecfg"
    check "exchange with the adapter's flags saved" \
        "driver 4.3.6 (gpib adapter)|VPOS 5.00;|ID TEK/PS5010,V79.1;|exit 0" \
        "$(printf 'VPOS 5\nVPOS?\nID?\n' | outcome "$terminal" 5)"
    ;;
read_number)
    # A read that ends at an end-of-string character: "++read 10" on an AR488 reads from the
    # instrument at address 10 (nobody here), not up to a line feed.
    firmware_start
    check "read up to a line feed" "driver 4.3.6 (gpib adapter)|VPOS 5.00;|exit 0" \
        "$(printf 'VPOS?\n' | outcome "$terminal" 5 10)"
    ;;
slow_bus)
    # A slow bus: the supply holds off data (NRFD) for 2.5 s after each message, which keeps the
    # adapter busy past the host's short deadline for "++ver" after a silent round; the library
    # then declares the adapter lost for the rest of the run.
    firmware_start --slow 5@2.5
    printf 'VPOS 5\nVPOS?\nID?\n' | "$terminal" 5 >"$work/out" 2>"$work/err"
    cli_expect_err "driver 4.3.6"
    grep -q 'lost the adapter' "$work/err" && cli_fail "the adapter was given up"
    [ "$(tail -n 1 "$work/out")" == "ID TEK/PS5010,V79.1;" ] || cli_fail "no answer to ID?"
    ;;
byte_4_in_answer)
    # A byte 4 inside an answer ends it early, and the read reports END as a success.
    firmware_start --answers '12=CURVE #\x04\x01\x02;'
    check "binary answer" "driver 4.3.6 (gpib adapter)|CURVE #$(printf '\x04\x01\x02');|exit 0" \
        "$(printf 'CURVE?\n' | outcome "$terminal" 12)"
    ;;
trickling_answer)
    # The adapter's read time-out is a gap between characters: an answer that trickles in (a
    # byte each 0.4 s) outlasts the descriptor's whole time-out (3 s) and still succeeds.
    firmware_start --trickle 5@0.4
    check "read past its time-out" \
        "driver 4.3.6 (gpib adapter)|ibrd failed: EABO: the transfer was aborted (time-out)|exit 1" \
        "$(printf 'VPOS?\n' | outcome "$terminal" 5)"
    ;;
search_then_ask)
    # The first message after the listener search is lost: the firmware still takes the last
    # address it searched for the one addressed, and the library sends its message to nobody.
    firmware_start
    check "asked after the search" "ID TEK/PS5010,V79.1;|exit 0" "$(outcome "$search_and_ask")"
    ;;
*)
    cli_fail "no such fault: $fault"
    ;;
esac
firmware_stop
checks_passed
