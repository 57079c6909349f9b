# The browser window, its thread and the player's wave-out device: the
# recorders' Win32 side of the browser.
add_library(suite_browser_win32 STATIC
  browser/wave_out_win32.cpp
  browser/browser_window.cpp)
target_link_libraries(suite_browser_win32 PUBLIC suite_browser winmm shell32 ole32)

# Plays a recording to the default output under Wine (not installed):
#   wave_out_check FILE [--step N] [--pause-at MS --pause-for MS] [--stop-at MS] [--seek-at MS --seek-to PERMILLE]
add_executable(wave_out_check browser/tools/wave_out_check.cpp)
target_link_libraries(wave_out_check PRIVATE suite_browser_win32)
# Rebuild timing of a folder under Wine (not installed): browser_rebuild_bench FOLDER
add_executable(browser_rebuild_bench browser/tools/browser_rebuild_bench.cpp)
target_link_libraries(browser_rebuild_bench PRIVATE suite_browser_win32)
