# Main window, warning bar and warning volume: Win32 sources of the recorders.
list(APPEND SUITE_CORVINET_SOURCES
  ui/main_window.cpp
  ui/alert_popup.cpp
  ui/warning_volume_win32.cpp)

# A look at the windows with made-up recorder state (not installed).
add_executable(main_window_preview WIN32
  ui/tools/main_window_preview.cpp
  ui/main_window.cpp
  ui/alert_popup.cpp
  ui/warning_volume_win32.cpp)
target_link_libraries(main_window_preview PRIVATE suite_core_win winmm ole32 uuid comctl32 shell32)
target_link_options(main_window_preview PRIVATE -mwindows)
suite_resources(main_window_preview ui/tools/main_window_preview.rc)
