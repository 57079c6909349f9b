# Corvinet, the line recorder: the subsystems' Win32 sources (appended to
# SUITE_CORVINET_SOURCES by their program.cmake) and the program's own.
add_executable(Corvinet WIN32
  ${SUITE_CORVINET_SOURCES}
  recorder/corvinet_main.cpp
  recorder/capture_win32.cpp
  recorder/input_device_win32.cpp)
target_link_libraries(Corvinet PRIVATE suite_core_win winmm ole32 uuid comctl32 shell32)
target_link_options(Corvinet PRIVATE -mwindows)
suite_resources(Corvinet recorder/corvinet.rc)
list(APPEND SUITE_PROGRAMS Corvinet)
