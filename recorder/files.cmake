# Recording engine: writer, names and saving, leftover recovery.
list(APPEND SUITE_CORE_SOURCES
  recorder/clock.cpp
  recorder/name_formatter.cpp
  recorder/recording_writer.cpp
  recorder/save_recording.cpp
  recorder/leftover_recovery.cpp)
list(APPEND SUITE_CORE_INCLUDES ${CMAKE_SOURCE_DIR}/recorder)
list(APPEND SUITE_CORE_LIBS vorbisenc vorbisfile vorbis ogg)
list(APPEND SUITE_TEST_SOURCES
  recorder/tests/recording_readback.cpp
  recorder/tests/name_formatter_test.cpp
  recorder/tests/recording_writer_test.cpp
  recorder/tests/save_recording_test.cpp
  recorder/tests/leftover_recovery_test.cpp)
