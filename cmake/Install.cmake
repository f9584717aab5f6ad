# SPDX-License-Identifier: GPL-3.0-or-later
# The standard install, for any prefix, and the Debian package made from it with CPack.
#   bin/kestro                                   the program
#   share/kestro/kestro.ini                      the settings file as shipped (the defaults)
#   share/applications/<id>.desktop              the menu entry
#   share/icons/hicolor/<n>x<n>/apps/kestro.png  the icon, drawn from the window icon
#   share/metainfo/<id>.metainfo.xml             the software centres' description
#   share/man/man1/kestro.1.gz                   the manual page

set(KESTRO_APP_ID "io.github.kestro.Kestro" CACHE STRING "Kestro's desktop and AppStream id")
set(KESTRO_HOMEPAGE "https://github.com/kestro/kestro" CACHE STRING "Kestro's home page")
set(KESTRO_SCREENSHOT_URL "${KESTRO_HOMEPAGE}/raw/main/data/screenshots/kestro.png"
    CACHE STRING "The screenshot the software centres show")
set(KESTRO_LICENSE "GPL-3.0-or-later")  # SPDX, for the AppStream metadata
set(KESTRO_MAINTAINER "Kestro developers <kestro@users.noreply.github.com>"
    CACHE STRING "The package's maintainer")
set(KESTRO_RELEASE_DATE "2024-12-06")
set(KESTRO_DESKTOP_ID "${KESTRO_APP_ID}.desktop")
set(KESTRO_DEFAULTS_INSTALLED "${CMAKE_INSTALL_FULL_DATADIR}/kestro/kestro.ini")

set(generated ${PROJECT_BINARY_DIR}/install)
configure_file(${PROJECT_SOURCE_DIR}/data/kestro.metainfo.xml.in
               ${generated}/${KESTRO_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/kestro.1.in ${generated}/kestro.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/copyright.in ${generated}/copyright @ONLY)

# Manual pages and the package's change log go compressed, as Debian wants them.
find_program(KESTRO_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${generated}/kestro.1.gz ${generated}/changelog.gz
  COMMAND ${KESTRO_GZIP} -9 -n -c ${generated}/kestro.1 > ${generated}/kestro.1.gz
  COMMAND ${KESTRO_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/data/changelog > ${generated}/changelog.gz
  DEPENDS ${generated}/kestro.1 ${PROJECT_SOURCE_DIR}/data/changelog
  COMMENT "Compressing the manual page and the change log")
add_custom_target(kestro_compressed_docs ALL
                  DEPENDS ${generated}/kestro.1.gz ${generated}/changelog.gz)

install(TARGETS kestro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/kestro.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/kestro)
install(FILES data/kestro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${KESTRO_DESKTOP_ID})
foreach(size IN LISTS KESTRO_ICON_SIZES)
  install(FILES ${KESTRO_ICON_FOLDER}/${size}x${size}/apps/kestro.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${generated}/${KESTRO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${generated}/kestro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/copyright ${generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestro)

# `make package`: a .deb of the same install under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestro)
set(CPACK_PACKAGE_VENDOR "Kestro developers")
set(CPACK_PACKAGE_CONTACT "${KESTRO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "front end for the DOS build of the MAME arcade emulator")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Kestro holds the MAME executable, the game's folder and MAME's video,"
  "audio, joystick and other options in one window. \"Run Mame\" writes the"
  "MAME command line into a launch script and starts it through DOSBox."
  "The options are kept in the user's configuration folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": that section is for packages with games under /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KESTRO_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTRO_MAINTAINER}")
# The libraries come from dpkg-shlibdeps; DOSBox runs the launch script.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dosbox")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
