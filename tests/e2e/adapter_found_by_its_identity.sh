#!/usr/bin/env bash
# pulvar-cli on an adapter nobody named: the library lists the serial ports of a stand-in system
# (sysfs and /dev/serial/by-id below GPIB_ADAPTER_ROOT), opens the one whose USB identity says
# Prologix (the emulated Prologix's pseudo-terminal behind its by-id name), names it, and
# remembers it; an Arduino beside it is never opened. With no Prologix left, the reason lists the
# ports seen, on standard error and in the file a launcher names.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
. "$(dirname "$0")/adapter_lib.bash"
cli_setup "$@"
adapter_use "$2"
export GPIB_BENCH="5=PS5010"
adapter_start prologix
pty=$GPIB_ADAPTER
unset GPIB_ADAPTER
system=$GPIB_ADAPTER_ROOT

# A board below a USB port of the stand-in system, its tty, and its stable name leading to its
# device.
board() {
    local port=$1 tty=$2 vendor=$3 product=$4 serial=$5 manufacturer=$6 name=$7 device=$8
    local usb="$system/sys/devices/pci0000:00/0000:00:14.0/usb1/$port"
    mkdir -p "$usb/$port:1.0/tty/$tty"
    printf '%s\n' "$vendor" >"$usb/idVendor"
    printf '%s\n' "$product" >"$usb/idProduct"
    printf '%s\n' "$serial" >"$usb/serial"
    printf '%s\n' "$manufacturer" >"$usb/manufacturer"
    printf '%s\n' "$name" >"$usb/product"
    ln -s "../../../$port:1.0" "$usb/$port:1.0/tty/$tty/device"
    mkdir -p "$system/sys/class/tty" "$system/dev/serial/by-id"
    ln -s "../../devices/pci0000:00/0000:00:14.0/usb1/$port/$port:1.0/tty/$tty" \
        "$system/sys/class/tty/$tty"
    ln -s "$device" "$system/dev/serial/by-id/usb-${manufacturer// /_}_${name// /_}_$serial-if00"
}
# The Prologix's device is the emulated one's pseudo-terminal.
mkdir -p "$system/dev"
ln -s "$pty" "$system/dev/ttyUSB0"
board 1-2 ttyUSB0 0403 6001 PXGEINXD Prologix "Prologix GPIB-USB Controller" ../../ttyUSB0
# The Arduino's port is a pipe: whoever opens it wakes the reader waiting at its other end.
mkfifo "$system/dev/ttyACM0"
(exec 3<"$system/dev/ttyACM0" && echo opened >"$work/arduino-opened") >/dev/null 2>&1 &
arduino_reader=$!
trap "kill $arduino_reader 2>/dev/null; $(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT$//")" EXIT
board 1-3 ttyACM0 2341 0043 75735323 "Arduino (www.arduino.cc)" "Arduino Uno" ../../ttyACM0

cli_run identify
cli_expect_status 0
cli_expect_out "PS5010 at GPIB address 5"
cli_expect_err "gpib adapter: using the adapter at /dev/ttyUSB0 (Prologix GPIB-USB Controller)"
grep -qF 'using the adapter at /dev/ttyUSB0' "$GPIB_ADAPTER_TRACE" || cli_fail "not in the trace"
[ "$(cat "$XDG_STATE_HOME/pulvar/last-adapter")" == "usb 0403 6001 PXGEINXD" ] ||
    cli_fail "remembered: $(cat "$XDG_STATE_HOME/pulvar/last-adapter" 2>&1)"

# The Prologix unplugged: nothing left to open, and the reason where the launcher reads it.
rm "$system/sys/class/tty/ttyUSB0"
export GPIB_ADAPTER_REASON_FILE="$work/reason"
cli_run identify
cli_expect_status 3
said="gpib adapter: no GPIB adapter found; serial ports seen: /dev/ttyACM0 (Arduino Uno)."
cli_expect_err "$said"
grep -qF "$said" "$work/reason" || cli_fail "the reason file holds: $(cat "$work/reason" 2>&1)"

[ ! -e "$work/arduino-opened" ] || cli_fail "the Arduino's port was opened"
echo "an adapter found by its USB identity, and no other port opened: ok"
