#!/usr/bin/env bash
# Builds Pulvar for 64-bit Windows with Qt for Windows (scripts/windows-qt-kit.sh makes it ready)
# into build-windows/win64, and makes its installer and zip there:
# package/Pulvar-1.5.1-win64.exe and package/Pulvar-1.5.1-win64.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-windows/win64"
bash "$root/scripts/setup.sh" windows
bash "$root/scripts/windows-qt-kit.sh"
# The kit's toolchain file chains to the mingw-w64 compilers; CTest runs the Windows programs
# through the 64-bit wine.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=/opt/pulvar-qt-mingw64/lib/cmake/Qt6/qt.toolchain.cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 >/dev/null
cmake --build "$build" --parallel "$(nproc)"
(cd "$build" && cpack >/dev/null)
echo "Pulvar for 64-bit Windows: $build/package/Pulvar-1.5.1-win64.exe (installer) and .zip"
