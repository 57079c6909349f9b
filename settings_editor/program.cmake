# Tessimor, the settings editor of the line recorder.
suite_program(Tessimor
  SOURCES settings_editor/tessimor_main.cpp settings_editor/settings_window.cpp
          settings_editor/format_editor_window.cpp
  LIBS suite_settings_editor shell32 ole32 winmm psapi
  RC settings_editor/tessimor.rc)
