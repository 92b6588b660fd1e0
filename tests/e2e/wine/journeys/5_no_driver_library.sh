# Pulvar itself, with no NI-488.2 installed and nothing naming another library: ni4882.dll is
# nowhere the system looks (the bench's and the adapter library's lie in folders of their own),
# so the box names the library, and the program ends with a non-zero status after OK.
others=$(find "$WINEPREFIX" -iname ni4882.dll |
    grep -vxF -e "$program_folder/bench/ni4882.dll" -e "$program_folder/adapter/ni4882.dll")
[ -z "$others" ] || e2e_fail "an ni4882.dll where the system looks: $others"
unset PULVAR_GPIB_LIBRARY
started_program="$installed\\pulvar.exe"
e2e_start
see_box Pulvar "The GPIB driver library ni4882.dll could not be loaded" "NI-488.2"
e2e_keys "$box" Return
e2e_wait_exit || e2e_fail "still running after OK"
[ "$exit_status" -ne 0 ] || e2e_fail "exit status 0 without a driver library"
[ ! -e "$GPIB_BENCH_TRACE" ] || e2e_fail "a bench was loaded"
