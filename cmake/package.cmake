# A Debian package from the same build: cd build && cpack -G DEB
# (elvarine_<version>_<arch>.deb, installed with apt install ./elvarine_*.deb). lintian finds no
# error in it (tests/install/tst_package.cpp).
#
# The maintainer is the project's address (its domain is the one of the application id,
# fr.elvarine); whoever builds a package for others names themselves here.
set(ELVARINE_PACKAGE_MAINTAINER "Les développeurs d'Elvarine <developpeurs@elvarine.fr>"
    CACHE STRING "Maintainer named in the Debian package")
if(ELVARINE_PACKAGE_MAINTAINER MATCHES "@localhost>")
  # The address of earlier builds, which no mail reaches.
  set(ELVARINE_PACKAGE_MAINTAINER "Les développeurs d'Elvarine <developpeurs@elvarine.fr>"
      CACHE STRING "Maintainer named in the Debian package" FORCE)
endif()

set(CPACK_PACKAGE_NAME elvarine)
set(CPACK_PACKAGE_VENDOR "Les développeurs d'Elvarine")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ELVARINE_PACKAGE_MAINTAINER})
# Debian wants the description in English (translations come through its own service); the
# program itself speaks French.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal address book with labels and envelopes, in French")
set(CPACK_PACKAGE_DESCRIPTION
    "Elvarine keeps one person's addresses in an address file (an SQLite\n"
    "database) and shows them as a name list beside a record form. It searches\n"
    "the records, copies addresses to the clipboard, prints record sheets,\n"
    "address labels and envelopes with a sender label (with a print preview),\n"
    "dials numbers through a modem or the desktop's dialer, imports and exports\n"
    "vCard and CSV files and synchronises with a CardDAV address book.\n"
    "Its windows, help and messages are in French.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links are found by dpkg-shlibdeps (package dpkg-dev); what Qt loads
# as plugins or data, and what the program loads itself when first needed, is named here: the
# print server's library, the SQLite driver of Qt Sql, the SVG icon engine (the icons
# are SVG), Qt's French translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libcups2, libqt6sql6-sqlite, libqt6svg6, qt6-translations-l10n")
# Opening mail and web addresses; printing (CUPS) and the dial-up connection (nmcli).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups, network-manager")

# What Debian asks of every package beside the program: its licence and its changelog (the
# newest entry names this version), in share/doc/elvarine.
file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog ELVARINE_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT ELVARINE_CHANGELOG_TOP MATCHES "^elvarine \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog has no entry for version ${PROJECT_VERSION} at its top")
endif()
set(ELVARINE_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${ELVARINE_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/cmake/debian/changelog
          -DOUTPUT=${ELVARINE_CHANGELOG} -P ${PROJECT_SOURCE_DIR}/cmake/gzip.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog ${PROJECT_SOURCE_DIR}/cmake/gzip.cmake
  COMMENT "Compressing the package's changelog")
add_custom_target(package-changelog ALL DEPENDS ${ELVARINE_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${ELVARINE_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/elvarine)
# What lintian is told not to report, and why (in the file).
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME elvarine)

include(CPack)
