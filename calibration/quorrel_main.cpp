// Quorrel: sets the recording volume of the default capture device through a
// dialogue of message boxes. A hidden window takes the capture notifications;
// the decisions live in LevelCalibration.
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include <string>

#include "calibration/calibration_texts.h"
#include "calibration/calibration_window.h"
#include "calibration/endpoint_volume_win32.h"
#include "calibration/level_calibration.h"
#include "common/process_end_win32.h"
#include "common/program_folder_win32.h"
#include "common/text_convert.h"
#include "common/win32_text.h"

namespace suite {
namespace {


// Message boxes without owner, kept on top; capture blocks are dispatched
// by their own message loops as well as by Pump.
class Win32Host : public CalibrationHost {
public:
    explicit Win32Host(const std::u16string& title) : title_(title) {}

    void Tell(const char* text) override {
        MessageBoxW(nullptr, AsWide(SjisToUtf16(text)), AsWide(title_), MB_OK | MB_TOPMOST);
    }
    bool Ask(const char* text) override {
        return MessageBoxW(nullptr, AsWide(SjisToUtf16(text)), AsWide(title_), MB_YESNO | MB_TOPMOST) == IDYES;
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
    CalibrationWindowState state;
    HWND hwnd = CreateCalibrationWindow(instance, AsWide(title), &state);
    if (!hwnd) return 1;

    if (!state.capture.Open(hwnd)) {
        MessageBoxW(hwnd, AsWide(SjisToUtf16(kNoDeviceText)), AsWide(title), MB_OK | MB_ICONWARNING | MB_TOPMOST);
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
    EndProcessAfterCleanUp(0);
}

}  // namespace
}  // namespace suite

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!suite::EnterProgramFolder("Quorrel")) return 0;
    return suite::RunQuorrel(instance);
}
