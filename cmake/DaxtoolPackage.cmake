# `cpack -G DEB` (scripts/package.sh): a Debian package of what `cmake --install` puts in place.
# Its dependencies are worked out by dpkg-shlibdeps from the programs' libraries.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME daxtool)
set(CPACK_PACKAGE_VENDOR Korvix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for disc-publishing autoloaders")
set(CPACK_PACKAGE_DESCRIPTION
    "Finds the autoloader's transporter on a serial port, shows what it is,
stores its serial numbers and loader parameters, programs transporter and
printer firmware and calibrates printing. The package holds the window
(daxtool), the same operations for terminals and scripts with human or JSON
output (daxtool-cli), and an autoloader simulator on a pseudo-terminal
(daxsim).
Serial access needs membership of the dialout group
(sudo adduser $USER dialout).")
set(DAXTOOL_MAINTAINER "Daxtool developers <daxtool@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DAXTOOL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
