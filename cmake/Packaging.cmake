# What a Windows user downloads, made by `cmake --build --preset <p> --target package`:
#   windows      Panorel2-<version>-win64.zip
#   windows-x86  Panorel2-<version>-win32.zip and the installer Panorel2-<version>-setup.exe
# Each zip holds the dist folder's files, the README, the help (docs/help with
# its pictures) and the licence texts. The installer is 32-bit and installs
# the 32-bit programs, so that one file serves every Windows.
set(PANOREL_VERSION 2.0.0)

install(TARGETS Spacehost Panorel2 ControlPanel HelpBrowser RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/resources/ajax-loader.gif ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
if(EXISTS ${PANOREL_MINGW_ROOT}/lib/zlib1.dll)
  install(FILES ${PANOREL_MINGW_ROOT}/lib/zlib1.dll DESTINATION .)
  # zlib's licence travels with zlib1.dll.
  install(FILES /usr/share/doc/libz-mingw-w64-dev/copyright DESTINATION licences RENAME zlib.txt)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/LICENSE.txt)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE.txt DESTINATION .)
endif()
# The help and the README keep their folders, so that their links to the pictures work.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/help/ DESTINATION docs/help)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/images/ DESTINATION docs/images)

set(CPACK_PACKAGE_NAME Panorel2)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PANOREL_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Four desktops on one Windows screen")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Panorel 2")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_PACKAGE_FILE_NAME Panorel2-${PANOREL_VERSION}-win64)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_PACKAGE_FILE_NAME Panorel2-${PANOREL_VERSION}-win32)
  set(CPACK_GENERATOR ZIP NSIS)
endif()
# Our own installer script (cmake/packaging/NSIS.template.in) instead of CPack's.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake/packaging)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/resources/icons/app.ico)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/packaging/PerGenerator.cmake)
include(CPack)
