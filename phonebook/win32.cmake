# The call board's window.
add_library(suite_phonebook_win32 STATIC phonebook/info_board_window.cpp
  phonebook/phone_book_list_window.cpp phonebook/list_board_window.cpp)
target_link_libraries(suite_phonebook_win32 PUBLIC suite_phonebook comctl32 shell32 ole32)

# A preview of the call board over a small phone book of its own; not installed.
suite_program(info_board_preview NOINSTALL
  SOURCES phonebook/tools/info_board_preview.cpp
  LIBS suite_phonebook_win32)

# The list's figures under Wine; not installed.
add_executable(phone_book_list_bench phonebook/tools/phone_book_list_bench.cpp)
target_link_libraries(phone_book_list_bench PRIVATE suite_phonebook)
