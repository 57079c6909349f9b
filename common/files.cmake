# Text slots, position texts, the settings record and its file; the file
# layer and text conversion twins are chosen by the configuration.
list(APPEND SUITE_CORE_SOURCES
  common/sjis_text.cpp
  common/position_text.cpp
  common/settings_file.cpp
  common/recorder_settings.cpp
  common/settings_record.cpp
  common/vorbis_file_layer.cpp
  common/wav_header.cpp
  common/file_name_rules.cpp
  common/file_move.cpp
  common/program_folder.cpp
  common/run_entry.cpp)
list(APPEND SUITE_TEST_SOURCES
  common/tests/byte_io_test.cpp
  common/tests/file_name_rules_test.cpp
  common/tests/sjis_text_test.cpp
  common/tests/position_text_test.cpp
  common/tests/file_layer_test.cpp
  common/tests/settings_record_test.cpp
  common/tests/run_entry_test.cpp
  common/tests/test_folder.cpp)
# The file layer's callbacks for libvorbisfile.
list(APPEND SUITE_CORE_LIBS vorbisfile vorbis ogg)
