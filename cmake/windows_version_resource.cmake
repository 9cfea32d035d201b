# imageburner_version_resource(<target> <description>): gives a Windows program
# a version resource with project(VERSION) and <description>.
enable_language(RC)

function(imageburner_version_resource target description)
  set(name ${target})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
