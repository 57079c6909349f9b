# Robustness sweep and worst-case timing of the line decoders (not run by the tests).
# The sweep measures against spandsp's receivers, which nothing else links.
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(SPANDSP IMPORTED_TARGET spandsp)
endif()
if(SPANDSP_FOUND)
  add_executable(linesignal_sweep linesignal/tools/sweep.cpp)
  target_link_libraries(linesignal_sweep PRIVATE suite_linesignal PkgConfig::SPANDSP)
else()
  message(STATUS "spandsp not found (libspandsp-dev): no linesignal_sweep")
endif()
add_executable(linesignal_bench linesignal/tools/bench.cpp)
target_link_libraries(linesignal_bench PRIVATE suite_linesignal)
# A whole simulated call as a WAV file, for the virtual line of scripts/run
# and the recorder's end-to-end tests; its own round trip runs with ctest.
add_executable(linecall linesignal/tools/call_generator.cpp)
target_link_libraries(linecall PRIVATE suite_linesignal)
add_test(NAME linecall_incoming COMMAND linecall incoming ${CMAKE_BINARY_DIR}/linecall_in.wav --check)
add_test(NAME linecall_withheld COMMAND linecall incoming ${CMAKE_BINARY_DIR}/linecall_wh.wav --withheld --check)
add_test(NAME linecall_outgoing COMMAND linecall outgoing ${CMAKE_BINARY_DIR}/linecall_out.wav
  --number "0120*45#9" --check)
