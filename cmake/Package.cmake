# The Debian package, built by CPack from the install rules: `make deb`, or
# `cpack -G DEB` in the build folder. Its dependencies are computed by
# dpkg-shlibdeps from the libraries the programs link.
set(MW_PACKAGE_MAINTAINER "Mapwanderer developers <mapwanderer@users.noreply.github.com>"
    CACHE STRING "Name and e-mail address of the package maintainer")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mapwanderer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${MW_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed programs carry no debugging symbols; Debian would ship those in a
# separate package.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # mapwanderer_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Mapwanderer shows scanned maps that have been tied to the earth by
calibration files and puts the position from a GPS receiver on them. The
view follows the position and the program switches by itself to the next
map, or to a more detailed one, when the position leaves the map.
.
It records the path travelled, loads and saves tracks, waypoints and
routes, navigates to a target, sounds speed and proximity alarms, shows
positions in sixteen formats over 121 datums and searches place-name
databases. The command-line tool mwtool offers the same core without a
display.")

include(CPack)
