# The handset recorder's settings record.
list(APPEND SUITE_CORE_SOURCES handset/handset_settings_record.cpp)
list(APPEND SUITE_TEST_SOURCES handset/tests/handset_settings_record_test.cpp handset/tests/handset_pass_test.cpp)
