# The Windows packages, with the same contents: the installer
# imageburner-<version>-setup.exe (cpack -G NSIS, Debian's nsis) and the
# portable imageburner-<version>-windows-x64.zip (cpack -G ZIP). The programs
# and the helper tools are in bin/ (linked statically: no runtime DLL travels
# with them), beside the examples folder and the quick start.
install(FILES windows/QuickStart.txt DESTINATION .)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/windows/package_file_names.cmake)
set(CPACK_PACKAGE_INSTALL_DIRECTORY ImageBurner)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ImageBurner)
set(CPACK_NSIS_PACKAGE_NAME ImageBurner)
set(CPACK_NSIS_DISPLAY_NAME "ImageBurner ${PROJECT_VERSION}")
# A 64-bit installer for 64-bit programs: "Program Files", the registry's 64-bit view.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# An older version is removed first (silently with /S), so nothing of it stays behind.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

# The Start menu: the window with its icon where the build has it, and the quick start.
set(CPACK_NSIS_MENU_LINKS QuickStart.txt "ImageBurner quick start")
if(TARGET imageburner)
  set(CPACK_PACKAGE_EXECUTABLES imageburner ImageBurner)
  set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\imageburner.exe)
endif()

# A program that runs cannot be replaced or removed: Windows refuses to open it
# for writing. Asked to close it (Retry) or to stop (Cancel; what /S does).
set(running_check "")
foreach(program ${packaged_programs})
  string(REPLACE "-" "_" label ${program})
  string(APPEND running_check "
  IfFileExists \"$INSTDIR\\bin\\${program}.exe\" 0 ${label}_free
  ${label}_retry:
  ClearErrors
  FileOpen $0 \"$INSTDIR\\bin\\${program}.exe\" a
  IfErrors 0 ${label}_close
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \"${program}.exe is running. Close it, then choose Retry.\" /SD IDCANCEL IDRETRY ${label}_retry
  Abort
  ${label}_close:
  FileClose $0
  ${label}_free:")
endforeach()
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "${running_check}")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${running_check}")
