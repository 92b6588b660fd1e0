#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Pulvar need.
# "setup.sh test" adds what only the tests need (the Debian package, the journeys, the AR488's
# firmware on a simulated board); "setup.sh firmware" adds only the last of these;
# "setup.sh windows" is what building and testing Pulvar for Windows needs instead.
# Quiet when everything is there already.
set -euo pipefail

packages=(
  cmake ninja-build g++ qt6-base-dev          # build
  help2man                                    # pulvar-cli's manual page, from its --help
  libxcb1-dev                                 # the start-up probe watches windows being mapped
  locales                                     # a decimal-comma locale for the number tests
  fonts-dejavu-core fonts-liberation2         # the window's fonts where MS Sans Serif is missing
  xvfb xauth xdotool openbox x11-utils imagemagick  # real-window tests and screenshots
)

# Only the tests: building, checking and installing the Debian package (lintian, manual pages,
# the desktop entry, the AppStream metadata, the icon theme); the fuzz targets (libFuzzer); for
# the journeys a clipboard to paste from, and the window read from outside as a screen reader
# reads it.
if [ "${1:-}" == test ]; then
  packages+=(dpkg-dev file lintian man-db desktop-file-utils appstream hicolor-icon-theme)
  packages+=(udev python3)                    # the adapter's udev rule read as udev reads it
  packages+=(clang-14 libclang-rt-14-dev clang-format-14)  # fuzz targets; the format check
  packages+=(xclip dbus-daemon dbus-bin at-spi2-core gir1.2-atspi-2.0 python3-gi)
fi
# The AR488's own firmware (../shared/ar488) built for an Arduino Uno and run on simavr, for the
# adapter library's tests and "run.sh --adapter ar488-firmware".
if [ "${1:-}" == test ] || [ "${1:-}" == firmware ]; then
  packages+=(gcc-avr avr-libc arduino-core-avr simavr libsimavr-dev libelf-dev pkg-config)
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# Only Pulvar for Windows: mingw-w64 for 32-bit Windows (the parts free of Qt) and for 64-bit
# Windows (everything, with the Qt kit of scripts/windows-qt-kit.sh); NSIS for the installer;
# the 64-bit wine, its fonts and a virtual display with a window manager to run it all; unzip
# to look into the zip.
if [ "${1:-}" == windows ]; then
  packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix nsis
            wine wine64 fonts-wine fonts-liberation2 unzip
            xvfb xauth xdotool openbox x11-utils imagemagick xclip)
fi

# The number tests also run under German conventions, which write a decimal comma.
german_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' ||
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
german_locale
