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

cd "$root"
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 --parallel "$(nproc)"

bash "$root/scripts/windows-installer.sh"

# The tests in a quiet wine prefix of their own (as their test preset has it); the journeys make
# theirs. The DLL's exports are read with objdump, not run.
run_tests() {
    local preset=$1 build=$2 loader=$3
    export WINELOADER=$loader WINEPREFIX="$build/wine" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    [ -f "$WINEPREFIX/system.reg" ] || "$WINELOADER" wineboot -i >/dev/null 2>&1
    ctest --preset "$preset"
    wineserver -k 2>/dev/null || true
}
trap 'wineserver -k 2>/dev/null || true' EXIT
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "Windows tests (32-bit) under wine:"
    run_tests windows-i686 "$root/build-windows/i686" /usr/lib/wine/wine
else
    echo "Windows tests (32-bit): the DLL's exports alone, 32-bit wine cannot start here:"
    ctest --preset windows-i686-exports
fi
echo "Windows tests (64-bit), the DLL's exports and the journeys under wine:"
run_tests windows-win64 "$root/build-windows/win64" /usr/lib/wine/wine64
