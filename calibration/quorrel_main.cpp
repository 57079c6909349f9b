// Quorrel: sets the recording volume of the default capture device through a
// dialogue of message boxes. A hidden window takes the capture notifications;
// the decisions live in LevelCalibration.
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include <string>

#include "calibration_texts.h"
#include "capture_win32.h"
#include "endpoint_volume_win32.h"
#include "level_calibration.h"
#include "text_convert.h"

namespace suite {
namespace {

const int kIconId = 100;

LPCWSTR W(const std::u16string& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

struct QuorrelWindow {
    WaveCapture capture;
    LevelCalibration* calibration = nullptr;  // set while the dialogue runs
};

void OnWaveData(QuorrelWindow* w, const WAVEHDR* header) {
    const int16_t* block = w->capture.TakeReported(header);
    if (block && w->calibration) w->calibration->OnBuffer(block, w->capture.Stereo());
}

LRESULT CALLBACK QuorrelWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* w = reinterpret_cast<QuorrelWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case MM_WIM_DATA:
        if (w) OnWaveData(w, reinterpret_cast<const WAVEHDR*>(lp));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Message boxes without owner, kept on top; capture blocks are dispatched
// by their own message loops as well as by Pump.
class Win32Host : public CalibrationHost {
public:
    explicit Win32Host(const std::u16string& title) : title_(title) {}

    void Tell(const char* text) override {
        MessageBoxW(nullptr, W(SjisToUtf16(text)), W(title_), MB_OK | MB_TOPMOST);
    }
    bool Ask(const char* text) override {
        return MessageBoxW(nullptr, W(SjisToUtf16(text)), W(title_), MB_YESNO | MB_TOPMOST) == IDYES;
    }
    // Wall-clock milliseconds; clock() means processor time in some C libraries.
    uint32_t NowMs() override { return timeGetTime(); }
    // A blocking wait instead of 1 ms sleeps: the same messages in the same
    // order, without a wake-up every millisecond.
    void Pump(uint32_t maxWaitMs) override {
        MsgWaitForMultipleObjectsEx(0, nullptr, maxWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    void Beep(uint32_t hz, uint32_t ms) override { ::Beep(hz, ms); }

private:
    std::u16string title_;
};

int RunQuorrel(HINSTANCE instance) {
    const std::u16string title = SjisToUtf16(kQuorrelTitle);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = QuorrelWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    wc.lpszClassName = W(title);
    RegisterClassExW(&wc);

    QuorrelWindow state;
    HWND hwnd = CreateWindowExW(0, W(title), W(title), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, &state);
    if (!hwnd) return 1;

    if (!state.capture.Open(hwnd)) {
        MessageBoxW(hwnd, W(SjisToUtf16(kNoDeviceText)), W(title), MB_OK | MB_ICONWARNING | MB_TOPMOST);
        DestroyWindow(hwnd);
        return 0;
    }
    state.capture.Start();

    CoInitialize(nullptr);
    timeBeginPeriod(1);
    {
        EndpointVolume volume;
        LevelCalibration calibration(volume);
        Win32Host host(title);
        state.calibration = &calibration;
        calibration.Run(host);
        state.calibration = nullptr;
    }  // the volume interface is released here, before the device closes
    state.capture.Close();
    timeEndPeriod(1);
    CoUninitialize();
    DestroyWindow(hwnd);
    return 0;
}

}  // namespace
}  // namespace suite

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return suite::RunQuorrel(instance); }
