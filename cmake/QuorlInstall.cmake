# Where an installed game puts its files (GNUInstallDirs: bin/, share/ under the prefix), and its
# Debian package. The data goes to share/quorl/, where the program finds it relative to itself,
# so an installed or unpacked tree can be moved; the launcher entry, icons and AppStream
# metadata go where desktops look for them.

set(QUORL_APP_ID io.github.quorl.Quorl) # reverse-DNS, as AppStream and the desktop name it

install(TARGETS quorl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/models ${CMAKE_SOURCE_DIR}/data/textures
  ${CMAKE_SOURCE_DIR}/data/levels DESTINATION ${CMAKE_INSTALL_DATADIR}/quorl
  PATTERN ".*" EXCLUDE) # no hidden files: .gitkeep, a save's leftovers
install(FILES ${CMAKE_SOURCE_DIR}/data/quorl-data-version
  DESTINATION ${CMAKE_INSTALL_DATADIR}/quorl)
foreach(size 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/quorl-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${QUORL_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/dist/${QUORL_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The release it describes is the version the build carries.
configure_file(${CMAKE_SOURCE_DIR}/dist/${QUORL_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/dist/${QUORL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${QUORL_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# cpack -G DEB in the build folder: the dependencies come from the libraries the program links
# (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorl)
set(CPACK_PACKAGE_VENDOR "Quorl developers")
set(CPACK_PACKAGE_CONTACT "Quorl developers <quorl@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "tank battle on the outside of a Rubik's cube, for up to six players")
set(CPACK_PACKAGE_DESCRIPTION "Up to six players, one gamepad each, drive tanks on the faces of \
a Rubik's cube, fire shells that fall towards its centre, pick up items and turn the layer they \
stand on, which carries tanks, blocks and item boxes to other faces. Split screen at one \
computer; a level editor comes with it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
