# The handset recorder's settings record, and its saving and pass settings.
list(APPEND SUITE_CORE_SOURCES handset/handset_settings_record.cpp handset/handset_pass_config.cpp)
list(APPEND SUITE_TEST_SOURCES handset/tests/handset_settings_record_test.cpp handset/tests/handset_pass_test.cpp)
