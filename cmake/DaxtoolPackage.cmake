# `cpack -G DEB` (scripts/package.sh): one Debian package per install component, from one run:
#   daxtool-cli  the command line program; Qt Core only, so a headless service box needs no
#                widgets
#   daxtool      the window; depends on daxtool-cli of the same version
#   daxsim       the autoloader simulator, for training and tests
# Their library dependencies are worked out by dpkg-shlibdeps from the programs themselves.

# The Debian revision comes from the top entry of the changelog, whose upstream version must be
# the project's: a new release gets its changelog entry.
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/debian/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^daxtool \\(([^)]+)-([^)-]+)\\) ")
  message(FATAL_ERROR "resources/debian/changelog: no 'daxtool (VERSION-REVISION)' entry on top")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(WARNING "resources/debian/changelog starts at ${CMAKE_MATCH_1}, the project is "
                  "${PROJECT_VERSION}: add a changelog entry for the packages")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME daxtool)
set(CPACK_PACKAGE_VENDOR Korvix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(DAXTOOL_MAINTAINER "Daxtool developers <daxtool@example.org>"
    CACHE STRING "Maintainer field of the Debian packages")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DAXTOOL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SOURCE daxtool)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${DAXTOOL_COMPONENTS})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# Each package has a summary line of its own: with the default summary CPack adds none to them.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_NAME} built using CMake")

set(CPACK_DEBIAN_CLI_PACKAGE_NAME daxtool-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_SUGGESTS bash-completion)
set(CPACK_DEBIAN_CLI_DESCRIPTION
    "service tool for disc-publishing autoloaders, command line
Finds the autoloader's transporter on a serial port, shows what it is,
stores its serial numbers and loader parameters, programs transporter and
printer firmware and calibrates printing, from a terminal or a script, with
human or JSON output. Needs no graphical libraries.
Serial access needs membership of the dialout group
(sudo usermod -aG dialout $USER).")

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME daxtool)
set(CPACK_COMPONENT_WINDOW_DEPENDS cli)
set(CPACK_DEBIAN_WINDOW_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION
    "service tool for disc-publishing autoloaders, window
The window a technician opens to find the autoloader's transporter on a
serial port, see what it is, store its serial numbers and loader
parameters, program firmware, print the calibration disc and calibrate the
printer. Each button runs the same operation as the matching daxtool-cli
command.
Serial access needs membership of the dialout group
(sudo usermod -aG dialout $USER).")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME daxsim)
set(CPACK_DEBIAN_SIM_DESCRIPTION
    "disc-publishing autoloader simulator on a pseudo-terminal
Plays an autoloader's transporter and printer from the device's side on a
pseudo-terminal linked as a COM port of the daxtool device directory, so
that daxtool and daxtool-cli can be tried, taught and tested without the
machine. Profiles cover every product family; faults can be injected.")
include(CPack)
