# recordings: the list of a folder of recordings for a spreadsheet (README).
add_executable(recordings browser/tools/recordings_main.cpp)
target_link_libraries(recordings PRIVATE suite_browser)
install(TARGETS recordings RUNTIME DESTINATION .)
# Listing, length and seek timings (not a test): recordings_bench FOLDER
add_executable(recordings_bench browser/tools/recordings_bench.cpp browser/tests/ogg_fixture.cpp)
target_link_libraries(recordings_bench PRIVATE suite_browser vorbisenc)
