# Quorrel, the recording-level calibration program.
suite_program(Quorrel
  SOURCES calibration/quorrel_main.cpp calibration/calibration_window.cpp calibration/capture_win32.cpp
          calibration/endpoint_volume_win32.cpp
  LIBS suite_calibration winmm ole32 uuid
  RC calibration/quorrel.rc)
