# The call board's window, part of Corvinet.
list(APPEND SUITE_CORVINET_SOURCES phonebook/info_board_window.cpp)

# A preview of the call board over a small phone book of its own; not installed.
add_executable(info_board_preview WIN32
  phonebook/tools/info_board_preview.cpp
  phonebook/info_board_window.cpp)
target_link_libraries(info_board_preview PRIVATE suite_core_win)
target_link_options(info_board_preview PRIVATE -mwindows)
