# Native tools: the phonebook command and its benchmark.
add_executable(phonebook phonebook/tools/phonebook_tool.cpp)
target_link_libraries(phonebook PRIVATE suite_phonebook csv)
add_executable(phonebook_bench phonebook/tools/phonebook_bench.cpp)
target_link_libraries(phonebook_bench PRIVATE suite_phonebook)
add_executable(phone_book_list_bench phonebook/tools/phone_book_list_bench.cpp)
target_link_libraries(phone_book_list_bench PRIVATE suite_phonebook)
