#!/usr/bin/env bash
# Pulvar for Windows, built here and tested under wine.
# - 32-bit: the parts free of Qt (call layer, bus helper, registry settings store, version
#   information, the bench as Gpib-32.dll with __stdcall entry points), compiled, and the DLL's
#   export table checked. Their tests run only where the kernel runs 32-bit programs; the CI
#   machines' kernel does not, so 32-bit wine cannot start there.
# - 64-bit: the window, pulvar-cli, the bench and the adapter library as ni4882.dll, the installer
#   and the zip (scripts/windows-installer.sh); the plain tests under the 64-bit wine, then the
#   journeys under wine: the installer, the window on the bench and on emulated adapters (the
#   Linux build's adapter-emulator, so scripts/build.sh comes first), pulvar-cli, the
#   uninstaller.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" windows

# A DLL exports each name of the first list, undecorated, and none of the second.
check_exports() {
    local dll=$1 objdump=$2 present=$3 absent=$4 exports name
    exports=$("$objdump" -p "$dll" | sed -n '/Ordinal\/Name Pointer/,/^$/p')
    for name in $present; do
        grep -qx "[[:space:]]*\[ *[0-9]*\] $name" <<<"$exports" || {
            echo "FAIL: $(basename "$dll") does not export $name" >&2
            exit 1
        }
    done
    for name in $absent; do
        ! grep -qx "[[:space:]]*\[ *[0-9]*\] $name" <<<"$exports" || {
            echo "FAIL: $(basename "$dll") exports $name" >&2
            exit 1
        }
    done
    if grep -q '@' <<<"$exports"; then
        echo "FAIL: $(basename "$dll") exports decorated names" >&2
        exit 1
    fi
    echo "$(basename "$dll"): exports checked"
}
calls="SendIFC FindLstn ibdev ibwrt ibrd ThreadIbsta ThreadIberr ThreadIbcnt ThreadIbcntl ibsta"
registration="RegisterGpibGlobalsForThread UnregisterGpibGlobalsForThread"

i686="$root/build-windows/i686"
cmake -S "$root" -B "$i686" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULVAR_WINDOW=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$i686" --parallel "$(nproc)"
# NI's 32-bit DLL exports its __stdcall functions under their plain names; so must the bench's.
check_exports "$i686/bench/Gpib-32.dll" i686-w64-mingw32-objdump "$calls $registration" ""

bash "$root/scripts/windows-installer.sh"
win64="$root/build-windows/win64"
# NI's 64-bit DLL gives the status through the thread accessors and has no registration.
for dll in bench/ni4882.dll adapter/ni4882.dll; do
    check_exports "$win64/$dll" x86_64-w64-mingw32-objdump "$calls" "$registration"
done

# The plain tests in a quiet wine prefix of their own; the journeys make theirs.
run_tests() {
    local build=$1 loader=$2
    export WINELOADER=$loader WINEPREFIX="$build/wine" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    [ -f "$WINEPREFIX/system.reg" ] || "$WINELOADER" wineboot -i >/dev/null 2>&1
    (cd "$build" && ctest --output-on-failure)
    wineserver -k 2>/dev/null || true
}
trap 'wineserver -k 2>/dev/null || true' EXIT
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "Windows tests (32-bit) under wine:"
    run_tests "$i686" /usr/lib/wine/wine
fi
echo "Windows tests (64-bit) and journeys under wine:"
run_tests "$win64" /usr/lib/wine/wine64
