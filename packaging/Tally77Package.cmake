# The Debian package: cpack -G DEB in the build folder, after the build, makes
# tally77_<version>-<release>_<arch>.deb of everything installed. Its
# dependencies come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tally77)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tally 77 developers")
set(CPACK_PACKAGE_CONTACT ${TALLY77_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "capture utility for an energy-metering processor")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TALLY77_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The maintainer scripts: postinst creates the services' user.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The summary above is the first line; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tally 77 reads an energy-metering processor's readings from a serial line,
groups them into observation sets, writes the set files and checks every
reading against per-channel alarm limits. The package holds the capture
window tally77, the unattended capture tally77-capture with its systemd
unit, the history window tally77-history (table, plot and export of the
captured sets), the processor simulator tally77-sim, and tally77-forward,
which ships every captured set into PostgreSQL exactly once.")

include(CPack)
