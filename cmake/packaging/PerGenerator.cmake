# Read by cpack once per generator: the installer has a name of its own.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "Panorel2-${CPACK_PACKAGE_VERSION}-setup")
endif()
