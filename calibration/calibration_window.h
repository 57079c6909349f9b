// Quorrel's hidden window: it takes the capture notifications and hands each
// reported block to the calibration while the dialogue runs.
#pragma once
#include <windows.h>

#include "calibration/capture_win32.h"
#include "calibration/level_calibration.h"

namespace suite {

// The window's state, bound to it from creation on.
struct CalibrationWindowState {
    WaveCapture capture;
    LevelCalibration* calibration = nullptr;  // set while the dialogue runs
};

// Registers the class (title as its name, icon 100) and creates the hidden
// window over state; null on failure.
HWND CreateCalibrationWindow(HINSTANCE instance, LPCWSTR title, CalibrationWindowState* state);

}  // namespace suite
