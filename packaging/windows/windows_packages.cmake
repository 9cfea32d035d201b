# The Windows packages, with the same contents: the installer
# imageburner-<version>-setup.exe (cpack -G NSIS, Debian's nsis) and the
# portable imageburner-<version>-windows-x64.zip (cpack -G ZIP). The programs
# and the helper tools are in bin/ (linked statically: no runtime DLL travels
# with them), beside the examples folder and the quick start.
# The quick start with Windows' line ends, which every editor there shows.
configure_file(windows/QuickStart.txt ${CMAKE_CURRENT_BINARY_DIR}/QuickStart.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QuickStart.txt DESTINATION .)

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
# No licence page until the project has a licence (CPack's default is a
# placeholder); the copyright is shown in the programs' and the installer's
# file properties.
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
string(REPLACE "." ";" version_numbers ${PROJECT_VERSION})
list(JOIN version_numbers "." dotted_version)
string(APPEND CPACK_NSIS_DEFINES "
  !include FileFunc.nsh
  VIProductVersion ${dotted_version}.0
  VIFileVersion ${dotted_version}.0
  VIAddVersionKey /LANG=1033 ProductName ImageBurner
  VIAddVersionKey /LANG=1033 ProductVersion ${PROJECT_VERSION}
  VIAddVersionKey /LANG=1033 FileVersion ${PROJECT_VERSION}
  VIAddVersionKey /LANG=1033 FileDescription \"ImageBurner setup\"
  VIAddVersionKey /LANG=1033 CompanyName \"${CPACK_PACKAGE_VENDOR}\"
  VIAddVersionKey /LANG=1033 LegalCopyright \"${IMAGEBURNER_COPYRIGHT}\"")

# The Start menu: the window with its icon where the build has it, and the quick start.
set(CPACK_NSIS_MENU_LINKS QuickStart.txt "ImageBurner quick start")
if(TARGET imageburner)
  set(CPACK_PACKAGE_EXECUTABLES imageburner ImageBurner)
  set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\imageburner.exe)
endif()

# A program that runs cannot be replaced or removed: Windows refuses to open it
# for writing. Before anything is replaced or removed the installer and the
# uninstaller ask to close it and try again (Retry) or stop with nothing
# changed (Cancel). Run silently (/S) they wait for it up to
# kSilentWaitSeconds, then stop.
set(kSilentWaitSeconds 20)
function(imageburner_running_check out folder prefix stop_text)
  set(check "")
  foreach(program ${packaged_programs})
    string(REPLACE "-" "_" label ${prefix}_${program})
    string(APPEND check "
  StrCpy $R9 0
  IfFileExists \"${folder}\\bin\\${program}.exe\" 0 ${label}_free
  ${label}_retry:
  ClearErrors
  FileOpen $0 \"${folder}\\bin\\${program}.exe\" a
  IfErrors 0 ${label}_close
  IfSilent 0 ${label}_ask
  IntCmp $R9 ${kSilentWaitSeconds} ${label}_stop
  IntOp $R9 $R9 + 1
  Sleep 1000
  Goto ${label}_retry
  ${label}_ask:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \"ImageBurner is running (${program}.exe). Close it, then choose Retry. Cancel ${stop_text}\" IDRETRY ${label}_retry
  ${label}_stop:
  DetailPrint \"${program}.exe is running: nothing was changed.\"
  Abort
  ${label}_close:
  FileClose $0
  ${label}_free:")
  endforeach()
  set(${out} "${check}" PARENT_SCOPE)
endfunction()

# An installed version is removed before the new one is written, so nothing of
# it stays behind; its running programs are waited for first (where it is and
# where the new one goes), so its uninstaller, run silently, never meets them.
# The user's settings (%APPDATA%\imageburner) are not the installation's and stay.
set(uninstall_key "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}")
set(install_stop "stops the installation and leaves the installed version as it is.")
imageburner_running_check(new_folder_check "$INSTDIR" new "${install_stop}")
imageburner_running_check(old_folder_check "$R8" old "${install_stop}")
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "
  ReadRegStr $R7 HKLM \"${uninstall_key}\" \"UninstallString\"
  StrCpy $R8 $INSTDIR
  StrCmp $R7 \"\" old_folder_known
  StrCpy $R8 $R7 -15 1
  old_folder_known:
  ${new_folder_check}
  ${old_folder_check}
  StrCmp $R7 \"\" old_version_gone
  DetailPrint \"Removing the installed version from $R8\"
  ClearErrors
  ExecWait '$R7 /S _?=$R8' $R6
  IfErrors old_version_kept
  StrCmp $R6 0 old_version_gone
  old_version_kept:
  MessageBox MB_OK|MB_ICONSTOP \"The installed version could not be removed (its uninstaller ended with $R6). Nothing was changed.\" /SD IDOK
  Abort
  old_version_gone:
  SetOutPath $INSTDIR")
imageburner_running_check(uninstall_check "$INSTDIR" un "leaves ImageBurner installed.")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${uninstall_check}")

# "Apps" shows the size and opens the folder. The vendor's registry key, which
# holds only ImageBurner's, goes once the uninstaller has deleted that.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr SHCTX \"${uninstall_key}\" \"InstallLocation\" \"$INSTDIR\"
  \${GetSize} \"$INSTDIR\" \"/S=0K\" $0 $1 $2
  WriteRegDWORD SHCTX \"${uninstall_key}\" \"EstimatedSize\" \"$0\"")
string(APPEND CPACK_NSIS_DEFINES "
  Function un.onUninstSuccess
    DeleteRegKey /ifempty SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"
  FunctionEnd")
