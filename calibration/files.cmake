# Level calibration (Quorrel): platform-free logic and its tests.
list(APPEND SUITE_CORE_SOURCES calibration/level_calibration.cpp)
list(APPEND SUITE_TEST_SOURCES calibration/tests/level_calibration_test.cpp)
