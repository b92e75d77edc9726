# Installation into the standard places of a Linux desktop, and the .deb.
#   cmake --install build --prefix /usr      the programs, the desktop entry,
#                                            icon and AppStream metainfo, and
#                                            the copyright file
#   cpack --config build/CPackConfig.cmake   the .deb, in build/package/

set(KESSRUNE_APP_ID io.github.kessrune.Kessrune)
set(CPACK_PACKAGE_CONTACT "Kessrune developers <kessrune@localhost>")

if(KESSRUNE_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/${KESSRUNE_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${KESSRUNE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/app/icons/kessrune.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
          RENAME ${KESSRUNE_APP_ID}.png)
  install(FILES ${PROJECT_SOURCE_DIR}/app/icons/kessrune.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${KESSRUNE_APP_ID}.svg)
endif()

# The licence as Debian wants it beside every package: LICENSE's permission
# notice under "License: Expat" (Debian's name for MIT), each line indented
# by one space and an empty line written " .".
if(KESSRUNE_GUI OR KESSRUNE_CLI)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
  string(FIND "${license}" "Permission is hereby granted" noticeStart)
  string(SUBSTRING "${license}" ${noticeStart} -1 license)
  string(STRIP "${license}" license)
  string(REPLACE "\n\n" "\n.\n" license "${license}")
  string(REPLACE "\n" "\n " license "${license}")
  set(KESSRUNE_LICENSE_BODY " ${license}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME kessrune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kessrune developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# One string (a CMake list would join its parts with ";"), wrapped for
# dpkg, which shows each line of the long description as it is.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Type a shop's home-page address and press the analyse button: Kessrune"
  "downloads the page, shows the shop name, the shopkeeper and the template"
  "kind, and the shop's CSS without the marketplace's page-scope prefix."
  "kessrune-cli runs the same analysis for scripts.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
# The package and CPack's working folder go into the build folder, wherever
# cpack is run from.
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
# The libraries' packages come from dpkg-shlibdeps; what it cannot see is
# added by hand: the Chinese font the window asks for by name, and Qt's
# platform plugins, loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
