# Main window and notifications: platform-free decisions and their tests.
list(APPEND SUITE_CORE_SOURCES
  ui/main_window_logic.cpp
  ui/message_texts.cpp
  ui/warning_volume.cpp)
list(APPEND SUITE_TEST_SOURCES
  ui/tests/main_window_logic_test.cpp
  ui/tests/warning_volume_test.cpp)
