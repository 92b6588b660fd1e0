#!/usr/bin/env bash
# Cross-compiles the parts free of Qt for Windows (call layer, bus helper, registry settings
# store, version information, the bench as Gpib-32.dll) and runs their tests under wine. The
# window itself needs Qt for Windows, which Debian does not ship.
#
# The real build is 32-bit, as NI-488.2's Gpib-32.dll is: it is compiled and its DLL's export
# table checked. Its tests run under a 32-bit wine where the kernel runs 32-bit programs; where
# it does not (as on the CI machines), the same tests are built for 64-bit Windows and run
# under the 64-bit wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" windows

build_for() {
    local arch=$1
    cmake -S "$root" -B "$root/build-windows/$arch" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPULVAR_WINDOW=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
    cmake --build "$root/build-windows/$arch" --parallel "$(nproc)"
}

build_for i686
# NI's DLL exports its __stdcall functions under their plain names; so must the bench's.
dll="$root/build-windows/i686/bench/Gpib-32.dll"
exports=$(i686-w64-mingw32-objdump -p "$dll" | sed -n '/Ordinal\/Name Pointer/,/^$/p')
for name in SendIFC FindLstn ibdev ibwrt ibrd RegisterGpibGlobalsForThread ThreadIbcntl ibsta; do
    grep -qx "[[:space:]]*\[ *[0-9]*\] $name" <<<"$exports" || {
        echo "FAIL: Gpib-32.dll does not export $name" >&2
        exit 1
    }
done
if grep -q '@' <<<"$exports"; then
    echo "FAIL: Gpib-32.dll exports decorated names" >&2
    exit 1
fi
echo "Gpib-32.dll (32-bit): exports checked"

# Runs 32-bit programs only where the kernel can.
arch=i686
export WINELOADER=/usr/lib/wine/wine
if ! "$WINELOADER" --version >/dev/null 2>&1; then
    arch=x86_64
    export WINELOADER=/usr/lib/wine/wine64
    build_for x86_64
fi

# A wine prefix of its own inside the build folder, quiet.
export WINEPREFIX="$root/build-windows/$arch/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true' EXIT
[ -f "$WINEPREFIX/system.reg" ] || "$WINELOADER" wineboot -i >/dev/null 2>&1
echo "Windows tests ($arch) under wine:"
(cd "$root/build-windows/$arch" && ctest --output-on-failure)
