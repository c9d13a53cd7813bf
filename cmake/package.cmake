# The Debian package: cpack -G DEB in the build folder (or bash scripts/package.sh) installs
# the install rules (cmake/install.cmake) under /usr and packs them. The shared libraries the
# programs link give the dependencies (dpkg-shlibdeps); View Report and Help open files with
# xdg-open.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvanite)
set(CPACK_PACKAGE_VERSION ${CORVANITE_FILE_VERSION})
set(CPACK_PACKAGE_VENDOR Brellwick)
set(CPACK_PACKAGE_CONTACT "Brellwick <corvanite@example.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download bandwidth test with a dialog and a command line")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Corvanite measures how fast an Internet connection downloads. Pick or
type the URL of a file on an HTTP or FTP server: Corvanite downloads the
whole file once, bypassing every cache on the way, times the transfer and
appends a plain-text report block to a report file in the user's data
folder.

The dialog follows the test with a status line and a progress bar, can
cancel it and opens the report. The command-line tool corvanite-cli runs
the same test for scripts and machines without a display, and can print
its result as JSON.]])
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brellwick <corvanite@example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS xdg-utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
