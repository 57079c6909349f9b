# Corvinet, the line recorder.
suite_program(Corvinet
  SOURCES recorder/corvinet_main.cpp
  LIBS suite_recorder_win32 suite_phonebook_win32 suite_ui_win32
  RC recorder/corvinet.rc)
