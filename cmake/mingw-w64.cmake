# Cross-builds the Windows program on Linux with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The POSIX-thread flavour is the one a Qt for MinGW is built with: std::thread and the C++
# runtime's locks must come from the same libwinpthread as Qt's. Qt's own toolchain file loads
# this one (QT_CHAINLOAD_TOOLCHAIN_FILE) and adds the Qt prefix to the search paths.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(OMRIK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${OMRIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OMRIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${OMRIK_MINGW_TRIPLET}-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${OMRIK_MINGW_TRIPLET})
# Programs (moc, rcc, the test emulator) are the build machine's; libraries, headers and
# packages only ever the target's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
