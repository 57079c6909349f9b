# Pallaby, the handset recorder, in a folder of its own: both recorders
# read their settings by the same relative name, in records of different
# layouts.
suite_program(Pallaby
  SOURCES handset/pallaby_main.cpp
  LIBS suite_handset suite_recorder_win32 suite_ui_win32
  RC handset/pallaby.rc
  FOLDER Pallaby)
