# The fuzz targets (a clang configuration with -DSUITE_FUZZ=ON) and the
# generator of their seed corpora (the ordinary native build, whose narrow
# literals are Shift-JIS as in the programs).
if(SUITE_FUZZ)
  set(SUITE_FUZZ_TARGETS settings phone_book recording pos_size recordings_list)
  add_library(fuzz_folder STATIC tests/fuzz/fuzz_folder.cpp)
  foreach(target ${SUITE_FUZZ_TARGETS})
    add_executable(fuzz_${target} tests/fuzz/fuzz_${target}.cpp)
    target_link_libraries(fuzz_${target} PRIVATE fuzz_folder ${SUITE_FOLDER_LIBS})
    target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
else()
  add_executable(fuzz_seeds tests/fuzz/fuzz_seeds.cpp browser/tests/ogg_fixture.cpp)
  target_link_libraries(fuzz_seeds PRIVATE ${SUITE_FOLDER_LIBS} vorbisenc)
endif()
