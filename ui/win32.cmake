# Main window, warning bar and warning volume: the recorders' Win32 side.
add_library(suite_ui_win32 STATIC
  ui/main_window.cpp
  ui/warning_bar_window.cpp
  ui/warning_volume_win32.cpp)
target_link_libraries(suite_ui_win32 PUBLIC suite_ui winmm ole32 uuid comctl32 shell32)

# A look at the windows with made-up recorder state (not installed).
suite_program(main_window_preview NOINSTALL
  SOURCES ui/tools/main_window_preview.cpp
  LIBS suite_ui_win32
  RC ui/tools/main_window_preview.rc)
