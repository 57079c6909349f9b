# The handset recorder's settings record, and its saving and pass settings.
list(APPEND SUITE_CORE_SOURCES handset/handset_settings_record.cpp handset/handset_pass_config.cpp)
list(APPEND SUITE_TEST_SOURCES handset/tests/handset_settings_record_test.cpp handset/tests/handset_pass_test.cpp)
# The settingsrecord command's body joins the native core with its tests.
if(NOT SUITE_MINGW)
  list(APPEND SUITE_CORE_SOURCES handset/settings_record_tool.cpp)
  list(APPEND SUITE_TEST_SOURCES handset/tests/settings_record_tool_test.cpp)
endif()
