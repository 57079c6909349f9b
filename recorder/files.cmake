# Recording engine: the pass and the tick logic, writer, names and saving,
# leftover recovery.
list(APPEND SUITE_CORE_SOURCES
  recorder/clock.cpp
  recorder/name_formatter.cpp
  recorder/recording_writer.cpp
  recorder/save_recording.cpp
  recorder/leftover_recovery.cpp
  recorder/recording_pass.cpp
  recorder/recorder_tick.cpp
  recorder/power_watch.cpp
  recorder/free_space_watch.cpp)
list(APPEND SUITE_CORE_LIBS vorbisenc vorbisfile vorbis ogg)
list(APPEND SUITE_TEST_SOURCES
  recorder/tests/recording_readback.cpp
  recorder/tests/name_formatter_test.cpp
  recorder/tests/recording_writer_test.cpp
  recorder/tests/save_recording_test.cpp
  recorder/tests/leftover_recovery_test.cpp
  recorder/tests/recording_pass_test.cpp
  recorder/tests/recorder_tick_test.cpp
  recorder/tests/power_watch_test.cpp
  recorder/tests/free_space_watch_test.cpp)
# The replay behind linereplay runs natively only, with its end-to-end tests.
if(NOT SUITE_MINGW)
  list(APPEND SUITE_CORE_SOURCES recorder/line_replay.cpp)
  list(APPEND SUITE_TEST_SOURCES recorder/tests/line_replay_test.cpp)
endif()
list(APPEND SUITE_CORE_SOURCES recorder/input_device.cpp)
list(APPEND SUITE_TEST_SOURCES recorder/tests/input_device_test.cpp)
