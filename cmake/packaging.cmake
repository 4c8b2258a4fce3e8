# `make package`: a Debian package built by CPack from the install rules. Its Depends are
# computed from the programs by dpkg-shlibdeps; the MIME, desktop, icon and man databases are
# refreshed by the dpkg triggers of shared-mime-info, desktop-file-utils, hicolor-icon-theme
# and man-db, as for any Debian package that installs into /usr, so no maintainer scripts.

# The Debian copyright file: the machine-readable header, then the licence text indented as a
# field continuation (blank lines become " .").
file(READ ${CMAKE_SOURCE_DIR}/LICENSE LANTERNA_LICENSE_TEXT)
string(STRIP "${LANTERNA_LICENSE_TEXT}" LANTERNA_LICENSE_TEXT)
string(REPLACE "\n" "\n " LANTERNA_LICENSE_TEXT " ${LANTERNA_LICENSE_TEXT}")
string(REPLACE "\n \n" "\n .\n" LANTERNA_LICENSE_TEXT "${LANTERNA_LICENSE_TEXT}")
string(REPLACE "\n \n" "\n .\n" LANTERNA_LICENSE_TEXT "${LANTERNA_LICENSE_TEXT}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lanterna)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lanterna)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lanterna developers")
set(CPACK_PACKAGE_CONTACT "${LANTERNA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and batch converter for AutoCAD slide files")
set(CPACK_PACKAGE_DESCRIPTION
  "Lanterna shows AutoCAD vector slides (.sld), slide libraries (.slb) and AutoShade
rendering slides (.rnd): drawn progressively and interruptibly, fitted to the window,
zoomed and panned. It reports a slide's header facts, converts slides to DXF and
builds slide libraries.

lanterna-cli does the same work in batch (PNG, PPM, SVG and DXF output, library
listing, creation and extraction) and draws the thumbnails file managers show.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # lanterna_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LANTERNA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LANTERNA_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# lanterna-cli loads cairo when it first draws a PDF or a sheet: shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcairo2 (>= 1.16)")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
