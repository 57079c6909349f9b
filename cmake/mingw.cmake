# Toolchain for the Windows executables: mingw-w64 on Linux, 64-bit.
# The -posix compilers: the win32 thread model has no std::mutex.
# Everything links statically, so no libstdc++, libgcc or winpthread DLL
# has to travel beside the programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SUITE_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER ${SUITE_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${SUITE_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${SUITE_MINGW_TRIPLE}-windres REQUIRED)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

set(CMAKE_FIND_ROOT_PATH /usr/${SUITE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(SUITE_MINGW ON CACHE BOOL "Build the Win32 programs as Windows executables with mingw-w64" FORCE)

# libogg and libvorbis built from Debian's sources by scripts/thirdparty.
if(SUITE_THIRDPARTY_DIR)
  list(APPEND CMAKE_FIND_ROOT_PATH ${SUITE_THIRDPARTY_DIR})
endif()
