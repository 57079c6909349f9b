# Capture, the input device and its choice window: the recorders' Win32 side.
add_library(suite_recorder_win32 STATIC
  recorder/capture_win32.cpp
  recorder/input_device_win32.cpp
  recorder/device_choice_window.cpp
  recorder/recorder_program_win32.cpp
  recorder/unattended_win32.cpp)
target_link_libraries(suite_recorder_win32 PUBLIC suite_recorder suite_ui_win32 suite_browser_win32 winmm)
