# Benchmark of the recording writer (not a test): writer_benchmark [blocks]
add_executable(writer_benchmark recorder/tools/writer_benchmark.cpp)
target_link_libraries(writer_benchmark PRIVATE suite_recorder)
# linereplay: the recorder's pass and tick over a WAV file (README).
add_executable(linereplay recorder/tools/linereplay.cpp)
target_link_libraries(linereplay PRIVATE suite_recorder)
install(TARGETS linereplay RUNTIME DESTINATION .)
# linecall's calls through the recorder's pass.
add_test(NAME linecall_linereplay
  COMMAND ${CMAKE_SOURCE_DIR}/recorder/tools/linecall_roundtrip.sh
          $<TARGET_FILE:linecall> $<TARGET_FILE:linereplay> ${CMAKE_BINARY_DIR}/linecall_roundtrip)
# Per-block cost of the pass (not a test): pass_benchmark [blocks]
add_executable(pass_benchmark recorder/tools/pass_benchmark.cpp)
target_link_libraries(pass_benchmark PRIVATE suite_recorder)
# Speech-like test audio as a WAV file: speech_wav SECONDS OUT.wav
add_executable(speech_wav recorder/tools/speech_wav.cpp)
target_link_libraries(speech_wav PRIVATE suite_recorder)
# Where a recording ends in the audio played (GUI tests): audio_align REC.raw PLAYED.raw EXPECTED_S
add_executable(audio_align recorder/tools/audio_align.cpp)
# Whole calls through linereplay beside spandsp's DTMF receiver (not a test):
# call_sweep [calls per cell]. spandsp is looked for by linesignal/tools.cmake.
if(SPANDSP_FOUND)
  add_executable(call_sweep recorder/tools/call_sweep.cpp)
  target_link_libraries(call_sweep PRIVATE suite_recorder PkgConfig::SPANDSP)
endif()
