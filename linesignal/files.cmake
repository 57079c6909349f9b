# Line signal decoders: caller number (FSK) and dialled digits (DTMF).
list(APPEND SUITE_CORE_SOURCES
  linesignal/caller_number_decoder.cpp
  linesignal/dial_digit_decoder.cpp)
list(APPEND SUITE_CORE_INCLUDES ${CMAKE_SOURCE_DIR}/linesignal)
list(APPEND SUITE_TEST_SOURCES
  linesignal/tests/signal_kit.cpp
  linesignal/tests/signal_kit_test.cpp
  linesignal/tests/caller_number_decoder_test.cpp
  linesignal/tests/dial_digit_decoder_test.cpp)
