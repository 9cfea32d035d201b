# Read by cpack for each generator: the packages' file names carry the version.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "imageburner-${CPACK_PACKAGE_VERSION}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "imageburner-${CPACK_PACKAGE_VERSION}-windows-x64")
endif()
