# Quorrel, the recording-level calibration program.
add_executable(Quorrel WIN32
  calibration/quorrel_main.cpp
  calibration/capture_win32.cpp
  calibration/endpoint_volume_win32.cpp)
target_link_libraries(Quorrel PRIVATE suite_core_win winmm ole32 uuid)
target_link_options(Quorrel PRIVATE -mwindows)
suite_resources(Quorrel calibration/quorrel.rc)
list(APPEND SUITE_PROGRAMS Quorrel)
