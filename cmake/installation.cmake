# What `cmake --install` puts on a desktop, and the Debian package `cpack -G DEB` makes of it:
#   bin/tabloran                          the launcher (a link to the script below)
#   libexec/tabloran/                     the program, its launcher script, the private server's script
#   share/applications/<id>.desktop       the menu entry
#   share/icons/hicolor/NxN/apps/         the logo at several sizes; share/pixmaps: the original
#   share/metainfo/<id>.metainfo.xml      the AppStream description
include(GNUInstallDirs)

set(TABLORAN_ID "fr.tabloran.Tabloran" CACHE STRING "AppStream id of the program")
set(TABLORAN_LICENCE "LicenseRef-proprietary" CACHE STRING "SPDX licence of the program")
set(TABLORAN_URL_DOCS "https://tabloran.example/docs" CACHE STRING
    "Public address of the docs/ folder, where the metainfo's screenshot is found")

set(TABLORAN_LIBEXEC "${CMAKE_INSTALL_LIBEXECDIR}/tabloran")

install(TARGETS tabloran RUNTIME DESTINATION ${TABLORAN_LIBEXEC})
install(PROGRAMS scripts/lanceur.sh scripts/mariadb.sh DESTINATION ${TABLORAN_LIBEXEC})
# The command is a relative link, so that the launcher finds its neighbours
# whatever the prefix.
file(RELATIVE_PATH lien_lanceur "/p/${CMAKE_INSTALL_BINDIR}" "/p/${TABLORAN_LIBEXEC}/lanceur.sh")
file(CREATE_LINK "${lien_lanceur}" "${CMAKE_CURRENT_BINARY_DIR}/lanceur-installe" SYMBOLIC)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/lanceur-installe DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME tabloran)

configure_file(release/tabloran.desktop.in ${TABLORAN_ID}.desktop @ONLY)
configure_file(release/tabloran.metainfo.xml.in ${TABLORAN_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${TABLORAN_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${TABLORAN_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(taille 16 24 32 48 64 128 256)
  install(FILES release/icones/${taille}x${taille}/tabloran.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${taille}x${taille}/apps)
endforeach()
install(FILES release/logo.png DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps RENAME tabloran.png)

# The Debian package: the Qt libraries come from the program's own links
# (dpkg-shlibdeps); the rest is what it loads or starts at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tabloran)
set(CPACK_PACKAGE_VENDOR "TABLORAN")
set(CPACK_PACKAGE_CONTACT "TABLORAN <tabloran@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "tenir les comptes, les commandes et le personnel d'une petite entreprise")
# The long description, after the summary (CPack writes the summary first and
# indents each line itself: a line that starts with a space would be shown as
# written, unwrapped).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "TABLORAN tient trois registres dans une base MariaDB ou MySQL : les dépenses
et les gains avec leur bilan, les commandes avec leurs clients, les employés
et les stagiaires avec leurs heures d'absence. Sans serveur sur la machine, la
commande tabloran démarre un serveur MariaDB privé pour l'utilisateur.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-mysql, libqt6charts6, fonts-liberation2, mariadb-client, libcsv3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mariadb-server, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
