# A Debian package from the same build: cd build && cpack -G DEB
# (elvarine_<version>_<arch>.deb, installed with apt install ./elvarine_*.deb).
set(ELVARINE_PACKAGE_MAINTAINER "Les développeurs d'Elvarine <elvarine@localhost>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME elvarine)
set(CPACK_PACKAGE_VENDOR "Elvarine")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ELVARINE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "carnet d'adresses personnel, avec étiquettes et enveloppes")
set(CPACK_PACKAGE_DESCRIPTION
    "Elvarine garde les adresses d'une personne dans un fichier d'adresses et\n"
    "offre la recherche, les copies dans le presse-papiers, l'impression des\n"
    "fiches, des étiquettes d'adresse et des enveloppes, la composition des\n"
    "numéros par un modem ou par le numéroteur du bureau, et l'échange de\n"
    "contacts en vCard et CSV.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links are found by dpkg-shlibdeps (package dpkg-dev); what Qt loads
# as plugins or data is named here: the SQLite driver of Qt Sql, the SVG icon engine (the icons
# are SVG), Qt's French translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6svg6, qt6-translations-l10n")
# Opening mail and web addresses; printing (CUPS) and the dial-up connection (nmcli).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups, network-manager")

include(CPack)
