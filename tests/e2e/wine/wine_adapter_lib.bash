# The steps of the journeys on an adapter under wine: the Linux build's emulated adapter in front
# of the bench's instruments, its pseudo-terminal made COM1 of the wine prefix (wine maps COM
# ports to Unix serial devices as HKLM\Software\Wine\Ports says, when it starts), and
# pulvar-adapter.exe as installed. The emulator writes the bench's trace on the Linux side.

. "$(dirname "${BASH_SOURCE[0]}")/../adapter_lib.bash"

emulator=${PULVAR_ADAPTER_EMULATOR:-}
[ -x "$emulator" ] || e2e_fail "no Linux adapter-emulator at '$emulator': build the Linux side first"
launcher="$installed\\pulvar-adapter.exe"

# wine_adapter_start <prologix|ar488> [emulator options]: the emulated adapter, serving the
# bench that GPIB_BENCH describes; what GPIB_ADAPTER would name is left in $adapter_place.
wine_adapter_start() {
    export GPIB_BENCH_STATE="$work/state"
    adapter_start "$@"
    adapter_place=$GPIB_ADAPTER
    # The Windows programs are given their adapter by name, never this Linux path.
    unset GPIB_ADAPTER
}

# COM1 of the prefix is the device given from wine's next start on.
wine_com1_is() {
    wine_run reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$1" /f >/dev/null 2>&1 ||
        e2e_fail "cannot map COM1"
    wineserver -k 2>/dev/null
    wineserver -w
}

# The launcher with these arguments, as e2e_start starts the program. Started so, with no
# console, it is as started from the desktop: what it has to say comes in boxes.
launch_on_adapter() {
    launcher_arguments=("$@")
    wine_start_program() { exec "$wine_loader" "$launcher" "${launcher_arguments[@]}"; }
    run_start=$(trace_mark)
    e2e_start
}

# window_on_com1 <prologix|ar488>: "Pulvar on a GPIB adapter" on that emulated adapter on COM1,
# named as the launcher's argument (under wine COM1 has no USB identity to be found by); the
# PS5010's window in $window once its start-up is over.
window_on_com1() {
    wine_adapter_start "$1"
    wine_com1_is "$adapter_place"
    launch_on_adapter COM1
    window=$(e2e_wait_window '^Pulvar PS5010, v1\.51 / ZQ$') || e2e_fail "no window for the PS5010"
    started 2
}
