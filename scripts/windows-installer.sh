#!/usr/bin/env bash
# Builds Pulvar for 64-bit Windows with Qt for Windows (scripts/windows-qt-kit.sh makes it ready)
# into build-windows/win64, and makes its installer and zip there:
# package/Pulvar-<version>-win64.exe and package/Pulvar-<version>-win64.zip, the version being
# the project's (CMakeLists.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-windows/win64"
bash "$root/scripts/setup.sh" windows
bash "$root/scripts/windows-qt-kit.sh"
# The preset takes the kit's toolchain file, which chains to the mingw-w64 compilers; CTest runs
# the Windows programs through the 64-bit wine.
cd "$root"
cmake --preset windows-win64 >/dev/null
cmake --build --preset windows-win64 --parallel "$(nproc)"
(cd "$build" && cpack >/dev/null)
# The name CPack gave them, from the configuration it ran.
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
echo "Pulvar for 64-bit Windows: $build/package/$name.exe (installer) and .zip"
