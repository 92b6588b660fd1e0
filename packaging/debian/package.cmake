# The Debian package (cpack -G DEB): its control fields, the copyright file in the
# machine-readable format, the changelog, and binaries stripped of their debug information.

# The copyright file carries the licence text of LICENSE, as a Debian licence paragraph.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^[^\n]*\n\n" "" licence "${licence}")  # its copyright line
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
set(PULVAR_LICENSE_TEXT " ${licence}")
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/pulvar)
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${doc_dir})

# A package of our own making is native: its changelog is changelog.gz.
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
                   COMMAND ${GZIP} -9n --stdout ${PULVAR_CHANGELOG} > ${changelog}
                   DEPENDS ${PULVAR_CHANGELOG})
add_custom_target(debian_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pulvar)
set(CPACK_PACKAGE_VENDOR "Pulvar")
set(CPACK_PACKAGE_CONTACT "${PULVAR_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drives one GPIB laboratory power supply")
# CPack puts the summary first and indents the rest itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[Pulvar sets and reads back the voltage, current limit and output of a
Tektronix PS5010 or PS5004 or a Hewlett-Packard 6032A over GPIB, in a
window (pulvar) or from the shell (pulvar-cli).

A simulated bench comes with it: pulvar-bench starts Pulvar on it, with no
hardware. On a Prologix or AR488 GPIB adapter (USB serial or network),
pulvar-adapter starts Pulvar through a driver library of its own. For an
interface board install linux-gpib (not a Debian package): its kernel
module for the board, its user library libgpib.so.0 and the configuration
file /etc/gpib.conf; then start pulvar.]=])
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PULVAR_HOMEPAGE}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The run-time libraries as the system's own tool finds them; the driver is loaded by name
# at run time, so linux-gpib is no dependency.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pulvar-adapter, started from the desktop menu, shows why no adapter could be used in a box of
# the first of these it finds.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity | kdialog | x11-utils")
# The debug information is dropped: CMake 3.25's pulvar-dbgsym package would list its files in
# md5sums by their paths in the build folder, so dpkg could never check them.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
