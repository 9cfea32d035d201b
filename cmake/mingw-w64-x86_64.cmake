# Cross-building the Windows flavour on Debian with mingw-w64 (the posix thread
# model, which std::thread and std::mutex need). Tests run under Wine through
# CTest's cross-compiling emulator; see scripts/test-windows.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(IMAGEBURNER_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${IMAGEBURNER_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${IMAGEBURNER_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${IMAGEBURNER_MINGW_PREFIX}-windres)
# LLVM's linker and archiver where installed: GNU ld and ar take many times
# as long (ar's symbol index, ld's merging of the inline functions every
# object repeats). Debian's cross GCC takes a linker only by
# its own name, ${IMAGEBURNER_MINGW_PREFIX}-ld.lld (scripts/install-deps.sh
# --windows makes it), and GNU ld without a word when there is none.
find_program(IMAGEBURNER_LLD ${IMAGEBURNER_MINGW_PREFIX}-ld.lld)
if(IMAGEBURNER_LLD)
  set(CMAKE_EXE_LINKER_FLAGS_INIT -fuse-ld=lld)
endif()
find_program(IMAGEBURNER_LLVM_AR llvm-ar)
find_program(IMAGEBURNER_LLVM_RANLIB llvm-ranlib)
if(IMAGEBURNER_LLVM_AR AND IMAGEBURNER_LLVM_RANLIB)
  set(CMAKE_AR ${IMAGEBURNER_LLVM_AR})
  set(CMAKE_RANLIB ${IMAGEBURNER_LLVM_RANLIB})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${IMAGEBURNER_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(IMAGEBURNER_WINE NAMES wine wine64)
if(IMAGEBURNER_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${IMAGEBURNER_WINE})
endif()
