# Tessimor's platform-free editing rules and layout.
list(APPEND SUITE_CORE_SOURCES
  settings_editor/editor_logic.cpp
  settings_editor/editor_layout.cpp)
list(APPEND SUITE_TEST_SOURCES
  settings_editor/tests/editor_logic_test.cpp
  settings_editor/tests/editor_layout_test.cpp)
