# Cross-compiling for Windows with Debian's mingw-w64 (posix thread model: std::mutex works).
# The preset's toolchain file sets HX_MINGW_ARCH (i686 or x86_64) and includes this one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${HX_MINGW_ARCH})
set(HX_MINGW_TRIPLE ${HX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${HX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HX_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${HX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# CTest runs the Windows test programs through Wine in the build's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
