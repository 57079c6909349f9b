#include "calibration/calibration_window.h"

#include <mmsystem.h>

#include "common/window_win32.h"

namespace suite {
namespace {

void OnWaveData(CalibrationWindowState& s, const WAVEHDR* header);

LRESULT CALLBACK CalibrationWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = WindowState<CalibrationWindowState>(hwnd, message, lParam);
    if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case MM_WIM_DATA: OnWaveData(*s, reinterpret_cast<const WAVEHDR*>(lParam)); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void OnWaveData(CalibrationWindowState& s, const WAVEHDR* header) {
    TakeReportedBuffer(s.capture, header, s.calibration);
}

}  // namespace

HWND CreateCalibrationWindow(HINSTANCE instance, LPCWSTR title, CalibrationWindowState* state) {
    // Never shown: no cursor, no background.
    SuiteWindowClass hidden{title, CalibrationWindowProc};
    hidden.style = 0;
    hidden.arrowCursor = false;
    if (!RegisterSuiteWindowClass(instance, hidden)) return nullptr;
    return CreateWindowExW(0, title, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, instance, state);
}

}  // namespace suite
