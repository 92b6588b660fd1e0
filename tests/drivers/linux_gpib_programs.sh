#!/usr/bin/env bash
# Programs written for linux-gpib run against the bench with only LD_LIBRARY_PATH changed, with
# lazy binding and with every name bound at start (LD_BIND_NOW=1).
set -uo pipefail
find_listeners=$1
terminal=$2
export LD_LIBRARY_PATH=$3
unset GPIB_BENCH_TRACE GPIB_BENCH_STATE
. "$(dirname "$0")/program_checks.bash"

# Linked as a program of the real library is: by its soname, each name under its version tag.
check "needs the soname" "libgpib.so.0" \
    "$(readelf -d "$terminal" | sed -n 's/.*Shared library: \[\(libgpib[^]]*\)\].*/\1/p')"
for name in ibask ibln; do
    check "$name versioned" 1 "$(readelf -W --dyn-syms "$find_listeners" |
        grep -c " $name@GPIB_DUMMY_VERSION")"
done
check "iberr versioned" 1 "$(readelf -W --dyn-syms "$terminal" | grep -c " iberr@GPIB_DUMMY_VERSION")"

for binding in lazy now; do
    if [ $binding == now ]; then export LD_BIND_NOW=1; else unset LD_BIND_NOW; fi

    check "$binding: listeners and the board" \
        "board at 0|listener at 0|listener at 3|listener at 5|exit 3" \
        "$(GPIB_BENCH="3=SILENT;5=PS5010" outcome "$find_listeners")"

    check "$binding: exchange by address" "driver 4.3.6 (gpib bench)|VPOS 5.00;|ID TEK/PS5010,V79.1;|exit 0" \
        "$(printf 'VPOS 5\nVPOS?\nID?\n' | GPIB_BENCH="5=PS5010" outcome "$terminal" 5)"

    check "$binding: exchange by name" "driver 4.3.6 (gpib bench)|VOUT  0.000|exit 0" \
        "$(printf 'VOUT?\n' | GPIB_BENCH="7=HP6032A;name=supply@7" outcome "$terminal" supply)"

    check "$binding: nobody at the address" \
        "driver 4.3.6 (gpib bench)|ibwrt failed: ENOL: no listener on the bus|exit 1" \
        "$(printf 'ID?\n' | GPIB_BENCH="5=PS5010" outcome "$terminal" 9)"

    # As linux-gpib without /etc/gpib.conf: two lines from the call, none from ThreadIberr.
    unconfigured="failed to open configuration file|libgpib: invalid descriptor"
    check "$binding: no configuration" \
        "$unconfigured|ibask: EARG: an argument of the call is not valid|exit 255" \
        "$(GPIB_BENCH="5=PS5010;noconfig" outcome "$find_listeners")"
    check "$binding: no usable board" \
        "$unconfigured|ibask: EDVR: a system call failed, or no usable board|exit 255" \
        "$(GPIB_BENCH="5=PS5010;noconfig=0" outcome "$find_listeners")"
done

checks_passed
