# Recording browser: the list, search, rename and delete, the player's
# decisions and sources. Free of the platform.
list(APPEND SUITE_CORE_SOURCES
  browser/recording_list.cpp
  browser/name_actions.cpp
  browser/recording_source.cpp
  browser/player.cpp
  browser/browser_layout.cpp)
list(APPEND SUITE_TEST_SOURCES
  browser/tests/recording_list_test.cpp
  browser/tests/name_actions_test.cpp
  browser/tests/ogg_fixture.cpp
  browser/tests/player_test.cpp
  browser/tests/browser_layout_test.cpp)
# The recordings command's body joins the native core with its tests.
if(NOT SUITE_MINGW)
  list(APPEND SUITE_CORE_SOURCES browser/recordings_tool.cpp)
  list(APPEND SUITE_CORE_LIBS csv)
  list(APPEND SUITE_TEST_SOURCES browser/tests/recordings_tool_test.cpp)
endif()
