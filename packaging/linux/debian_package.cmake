# The Debian package imageburner_<version>_amd64.deb: the programs in /usr/bin,
# the helper tools in /usr/libexec/imageburner, the udev rule (given
# IMAGEBURNER_UDEV_RULES_DIR=lib/udev/rules.d), the desktop entry, the icons,
# the AppStream metadata, the manual pages and the documentation.
#
# lintian reports no error and no warning (scripts/package-deb.sh fails on
# either). What it still notes, and why it stays: the .comment section that
# strip leaves (the compiler's version, a few bytes), and "proces", which is
# Polish in the window's texts.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/imageburner)
set(generated ${CMAKE_CURRENT_BINARY_DIR}/generated)

# The release date of this version, from its CHANGELOG.md heading, which must be there.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md release_heading
     REGEX "^## \\[${PROJECT_VERSION}\\] - [0-9]+-[0-9]+-[0-9]+$")
if(NOT release_heading)
  message(FATAL_ERROR "CHANGELOG.md has no heading \"## [${PROJECT_VERSION}] - YYYY-MM-DD\"")
endif()
string(REGEX REPLACE ".* - " "" release_date "${release_heading}")

# The window's entry in software centres and its icon at the sizes menus use,
# beside the 64x64 and scalable ones it installs itself.
if(TARGET imageburner)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/linux/io.github.imageburner.ImageBurner.metainfo.xml
                 ${generated}/io.github.imageburner.ImageBurner.metainfo.xml @ONLY)
  install(FILES ${generated}/io.github.imageburner.ImageBurner.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 24 32 48 128 256)
    install(FILES linux/icons/imageburner-${size}.png RENAME imageburner.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# Debian's changelog, in its own format, points to the project's.
execute_process(COMMAND date -u -R -d "${release_date} 00:00:00 UTC"
                OUTPUT_VARIABLE changelog_time OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/linux/changelog.in ${generated}/changelog @ONLY)
install(FILES linux/copyright DESTINATION ${doc_dir})

# Gzipped as Debian wants it (-n: no name or time stamp, so the bytes repeat).
set(gzipped ${generated}/changelog.gz ${generated}/CHANGELOG.md.gz)
add_custom_command(OUTPUT ${gzipped}
  COMMAND sh -c "gzip -9n < changelog > changelog.gz && gzip -9n < '${PROJECT_SOURCE_DIR}/CHANGELOG.md' > CHANGELOG.md.gz"
  DEPENDS ${generated}/changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  WORKING_DIRECTORY ${generated} VERBATIM)

# The manual pages, made from the programs' own --help and --version by
# help2man, so they cannot say anything else: standard output only (a toolkit's
# warnings go to standard error), each command with its arguments from its own
# --help, the files the programs use and the related pages. Dated with the
# release, so that the bytes repeat.
find_program(IMAGEBURNER_HELP2MAN help2man)
# The two programs in PATH: the helper tools are run by them, not by people.
set(manual_programs ${packaged_programs})
list(REMOVE_ITEM manual_programs TreeBaler mergeimg)
set(manuals)
if(IMAGEBURNER_HELP2MAN)
  execute_process(COMMAND date -u -d "${release_date} 00:00:00 UTC" +%s
                  OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  cmake_path(ABSOLUTE_PATH IMAGEBURNER_UDEV_RULES_DIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
             OUTPUT_VARIABLE udev_rules_file)
  string(APPEND udev_rules_file /70-imageburner-recorder.rules)
  set(doc_dir_full ${CMAKE_INSTALL_FULL_DATADIR}/doc/imageburner)
  foreach(program ${manual_programs})
    set(manual ${generated}/${program}.1.gz)
    set(other_program ${manual_programs})
    list(REMOVE_ITEM other_program ${program})
    set(other_page "")
    if(other_program)
      set(other_page ".BR ${other_program} (1),")
    endif()
    configure_file(linux/manual.h2m.in ${generated}/${program}.h2m @ONLY)
    set(includes --include=${program}.h2m)
    set(make_commands)
    if(program STREQUAL "imageburner")
      set(manual_name "window of the firmware updater for car video recorders")
    else()
      set(manual_name "command-line firmware updater for car video recorders")
      list(APPEND includes --include=${program}-commands.h2m)
      set(make_commands COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/linux/manual_commands.sh $<TARGET_FILE:${program}>
                                ${program}-commands.h2m)
    endif()
    add_custom_command(OUTPUT ${manual}
      ${make_commands}
      # The window answers --help before it opens any window; offscreen needs no display.
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen SOURCE_DATE_EPOCH=${release_epoch}
              ${IMAGEBURNER_HELP2MAN} --no-info --section=1 "--name=${manual_name}"
              "--source=imageburner ${PROJECT_VERSION}" ${includes} --output=${program}.1 $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${program}.1
      DEPENDS ${program} ${generated}/${program}.h2m linux/manual_commands.sh WORKING_DIRECTORY ${generated} VERBATIM)
    list(APPEND manuals ${manual})
  endforeach()
  install(FILES ${manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
add_custom_target(imageburner_package_files ALL DEPENDS ${gzipped} ${manuals})
install(FILES ${gzipped} DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/linux/postinst ${CMAKE_CURRENT_SOURCE_DIR}/linux/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
