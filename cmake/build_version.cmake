# Writes app/build_version.h: the version from project(VERSION) and, when the
# sources are a git checkout (or IMAGEBURNER_COMMIT is given), the commit they
# were built from. Run at every build; the header is rewritten only when its
# text changes, so a new commit recompiles only the files that show it.
# Arguments: SOURCE_DIR, TEMPLATE, OUTPUT, VERSION, COMMIT (may be empty).
set(commit "${COMMIT}")
if(commit STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=12 HEAD
      WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE commit ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE git_status)
    if(NOT git_status EQUAL 0)
      set(commit "")
    endif()
  endif()
endif()
if(commit STREQUAL "")
  set(version_text "${VERSION}")
else()
  set(version_text "${VERSION} (commit ${commit})")
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
