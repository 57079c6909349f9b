# Toolchain for the Win32 programs built with Winelib on Linux.
# CMAKE_SYSTEM_NAME stays the host's: "Windows" would make CMake pass PE
# linker flags that ld rejects.
set(SUITE_WINELIB ON CACHE BOOL "Build the Win32 programs with Winelib" FORCE)
find_program(WINEGCC winegcc PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH REQUIRED)
find_program(WINEGXX wineg++ PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH REQUIRED)
find_program(WRC wrc PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH REQUIRED)
set(CMAKE_C_COMPILER ${WINEGCC})
set(CMAKE_CXX_COMPILER ${WINEGXX})
set(CMAKE_RC_COMPILER ${WRC})
set(CMAKE_EXECUTABLE_SUFFIX .exe)
