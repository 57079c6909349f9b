#include "calibration/calibration_window.h"

#include <mmsystem.h>

#include "common/window_win32.h"
#include "calibration/resource.h"

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
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CalibrationWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.lpszClassName = title;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, title, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, instance, state);
}

}  // namespace suite
