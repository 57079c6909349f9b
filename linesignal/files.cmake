# Line signal decoders: caller number (FSK) and dialled digits (DTMF).
list(APPEND SUITE_CORE_SOURCES
  linesignal/line_signal.cpp
  linesignal/caller_number_decoder.cpp
  linesignal/dial_digit_decoder.cpp)
# The signal kit generates the line's signals for the tests and the native
# tools (linecall, sweep, benchmarks); the programs do not need it.
if(NOT SUITE_MINGW)
  list(APPEND SUITE_CORE_SOURCES linesignal/signal_kit.cpp)
endif()
list(APPEND SUITE_TEST_SOURCES
  linesignal/tests/signal_kit_test.cpp
  linesignal/tests/caller_number_decoder_test.cpp
  linesignal/tests/dial_digit_decoder_test.cpp)
