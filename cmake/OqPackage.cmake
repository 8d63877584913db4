# SPDX-License-Identifier: MIT
# The Debian package: `cpack -G DEB` in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr. The paths the build fills in (the launcher's
# working folder, the help folder) come from that prefix, so the package
# installs under the same prefix and refuses any other.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombryquote)
set(CPACK_PACKAGE_VENDOR "${OQ_COMPANY_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${OQ_DEVELOPER} <${OQ_EMAIL_ADDRESS}>")
set(CPACK_PACKAGE_HOMEPAGE_URL "${OQ_WEBSITE_URL}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop quote viewer")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links decide the dependencies (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The extended description, below the summary; CPack indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "OMBRY Quote shows quotations from a plain-text quote file, one at a time:
a random quote, the previous or next one, or one picked by its title.
It searches all quotes, copies the shown quote, keeps favourites in a file
of their own and hands a quote to the screen saver as its scrolling text.

A few hundred public-domain quotations come with it.")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/OqPackageCheck.cmake")
include(CPack)
