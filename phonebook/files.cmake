# Phone book store (platform-free) and, natively, the CSV transfer behind the
# phonebook tool; the transfer's tests run in suite_tests, so it joins the
# native core together with libcsv.
list(APPEND SUITE_CORE_SOURCES
  phonebook/phone_book.cpp
  phonebook/phone_book_messages.cpp)
list(APPEND SUITE_TEST_SOURCES
  phonebook/tests/phone_book_test.cpp
  phonebook/tests/phone_book_damage_test.cpp)
if(NOT SUITE_MINGW)
  list(APPEND SUITE_CORE_SOURCES phonebook/book_transfer.cpp)
  list(APPEND SUITE_CORE_LIBS csv)
  list(APPEND SUITE_TEST_SOURCES phonebook/tests/book_transfer_test.cpp)
endif()
# The call board's decisions (its window is in program.cmake).
list(APPEND SUITE_CORE_SOURCES phonebook/info_board.cpp)
list(APPEND SUITE_TEST_SOURCES phonebook/tests/info_board_test.cpp)
# The phone book list and its board.
list(APPEND SUITE_CORE_SOURCES phonebook/phone_book_list.cpp phonebook/list_board.cpp)
list(APPEND SUITE_TEST_SOURCES phonebook/tests/phone_book_list_test.cpp)
