# Installation into the standard places of a Linux desktop, and the .deb.
#   cmake --install build --prefix /usr      the program, its desktop entry,
#                                            icon and AppStream metainfo
#   cpack --config build/CPackConfig.cmake -G DEB

set(KESSRUNE_APP_ID io.github.kessrune.Kessrune)

if(KESSRUNE_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/${KESSRUNE_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/${KESSRUNE_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/app/icons/kessrune.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
          RENAME ${KESSRUNE_APP_ID}.png)
  install(FILES ${PROJECT_SOURCE_DIR}/app/icons/kessrune.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${KESSRUNE_APP_ID}.svg)
endif()

set(CPACK_PACKAGE_NAME kessrune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kessrune developers")
set(CPACK_PACKAGE_CONTACT "Kessrune developers <kessrune@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Shop style-sheet reader for Taobao and Tmall pages")
set(CPACK_PACKAGE_DESCRIPTION
    "Type a shop's home-page address and press the analyse button: Kessrune downloads the page, "
    "shows the shop name, the shopkeeper and the template kind, and the shop's CSS without the "
    "marketplace's page-scope prefix. Includes kessrune-cli for scripts.")
set(CPACK_GENERATOR DEB)
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
