#!/usr/bin/env bash
# Provides Qt 6.4.2 for 64-bit Windows (mingw-w64, posix threads) at /opt/pulvar-qt-mingw64:
# QtCore, QtGui, QtWidgets, QtTest and the Windows platform plugin, cross-built from Debian's own
# qt6-base source with Debian's native Qt as the host tools. Quiet when the kit is in place.
#   - from a prebuilt copy of that kit when one is there and its SHA-256 matches the .sha256 file
#     beside it: PULVAR_QT_KIT_COPY, by default ../shared/qt6.4.2-mingw64.tar.xz beside the repo;
#   - otherwise built from the source package (about an hour on 2 cores). Only the source package
#     comes from the network, through apt from the machine's own Debian archive.
#     PULVAR_QT_KIT_CONFIGURE_ONLY=1 stops after Qt's configure, to check the recipe quickly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=/opt/pulvar-qt-mingw64
copy=${PULVAR_QT_KIT_COPY:-$root/../shared/qt6.4.2-mingw64.tar.xz}

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

kit_in_place() {
    [ -f "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ] && [ -f "$prefix/mingw64-posix.cmake" ] &&
        [ -f "$prefix/bin/Qt6Widgets.dll" ] && [ -f "$prefix/plugins/platforms/qwindows.dll" ]
}

copy_matches() {
    [ -f "$copy" ] && [ -f "$copy.sha256" ] || return 1
    local expected actual
    expected=$(awk '{print $1; exit}' "$copy.sha256")
    actual=$(sha256sum "$copy" | awk '{print $1}')
    [ "$expected" == "$actual" ] || {
        echo "Qt kit copy $copy does not match its checksum: building the kit instead" >&2
        return 1
    }
}

# Every path in the copy starts with opt/pulvar-qt-mingw64/.
unpack_copy() {
    echo "Qt for 64-bit Windows: unpacking $copy into $prefix"
    $sudo tar -C / -xJf "$copy"
}

# The recipe's toolchain file; the kit's qt.toolchain.cmake refers to it by this path.
write_toolchain_file() {
    cat <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(T x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   /usr/bin/${T}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${T}-g++-posix)
set(CMAKE_RC_COMPILER  /usr/bin/${T}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${T})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# apt's source index of the archive and suite the native Qt came from, in a private list and
# private index folders, so that the machine's own package lists stay as they are.
fetch_source() {
    local work=$1 version origin
    version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    # e.g. "500 http://deb.debian.org/debian bookworm/main amd64 Packages"
    origin=$(apt-cache policy qt6-base-dev | grep -A1 -F "*** $version" | tail -n 1)
    read -r _ uri suite_component _ <<<"$origin"
    [[ "$uri" == http* ]] || {
        echo "cannot tell which archive qt6-base-dev $version came from" >&2
        exit 1
    }
    # apt fetches as its own user, which must reach the private folders.
    chmod 755 "$work"
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
    echo "deb-src $uri ${suite_component%%/*} ${suite_component#*/}" >"$work/sources.list"
    local apt_private=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=-
                       -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache")
    apt-get "${apt_private[@]}" update -qq
    (cd "$work" && apt-get "${apt_private[@]}" source --download-only -qq "qt6-base=$version")
    # Unpacks and applies Debian's patches (security fixes among them). apt has checked the files
    # against the archive's signed index; the uploader's own signature needs a keyring we lack.
    (cd "$work" && dpkg-source -x qt6-base_*.dsc src >/dev/null)
}

build_from_source() {
    echo "Qt for 64-bit Windows: building from Debian's qt6-base source (about an hour on 2 cores)"
    bash "$root/scripts/setup.sh" windows
    local packages=(perl dpkg-dev) missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        $sudo apt-get update -qq
        $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
    local work
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    fetch_source "$work"
    write_toolchain_file >"$work/mingw64-posix.cmake"
    mkdir "$work/build"
    (
        cd "$work/build"
        ../src/configure -prefix "$prefix" \
            -release -shared -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
            -qt-host-path /usr -nomake examples -nomake tests \
            -no-opengl -no-dbus -no-icu -no-feature-zstd \
            -qt-zlib -qt-pcre -qt-doubleconversion -qt-harfbuzz -qt-freetype -qt-libpng \
            -no-libjpeg -qt-libmd4c \
            -no-feature-network -no-feature-sql -no-feature-xml -no-feature-concurrent \
            -no-feature-printsupport -no-feature-vulkan -no-feature-androiddeployqt \
            -no-feature-tabletevent \
            -- -DCMAKE_TOOLCHAIN_FILE="$work/mingw64-posix.cmake" \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
        [ "${PULVAR_QT_KIT_CONFIGURE_ONLY:-}" == 1 ] && exit 0
        cmake --build . --parallel "$(nproc)"
        $sudo cmake --install . >/dev/null
    )
    if [ "${PULVAR_QT_KIT_CONFIGURE_ONLY:-}" == 1 ]; then
        echo "Qt for 64-bit Windows: configured in $work/build; stopping there as asked"
        exit 0
    fi
    $sudo cp "$work/mingw64-posix.cmake" "$prefix/"
    $sudo sed -i "s#\"$work/mingw64-posix.cmake\"#\"$prefix/mingw64-posix.cmake\"#" \
        "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
    $sudo x86_64-w64-mingw32-strip --strip-unneeded "$prefix"/bin/*.dll "$prefix"/plugins/*/*.dll
}

kit_in_place && exit 0
if copy_matches; then
    unpack_copy
else
    build_from_source
fi
kit_in_place || {
    echo "Qt for 64-bit Windows is not complete at $prefix" >&2
    exit 1
}
