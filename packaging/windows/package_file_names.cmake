# Read by cpack for each generator: the packages' file names carry the version,
# and the installer shows no licence page (CPack's default is a placeholder,
# and the project has no licence yet).
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "imageburner-${CPACK_PACKAGE_VERSION}-setup")
  set(CPACK_RESOURCE_FILE_LICENSE "")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "imageburner-${CPACK_PACKAGE_VERSION}-windows-x64")
endif()
