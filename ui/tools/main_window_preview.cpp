// Shows the recorder's main window (and, on request, the warning bar) fed by
// made-up recorder state, to look at it without a sound device.
//
//   main_window_preview.exe SCENE [SECONDS]
//
// SCENE: idle, recording, fault, tray, taskbar, alert. The window closes
// itself after SECONDS (default 30); closing it earlier ends the preview.
// At the end it prints what the window left in the recorder's words and the
// settings, for the GUI test; the alert scene first prints how many bars
// were raised and whether the alarm still sounds. A last line counts what
// the window did that Windows expects and Wine does not enforce: messages
// its controls got while holding a deleted font, and the WM_NULL posted to
// it (after the tray menu).
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ui/warning_bar_window.h"
#include "ui/main_window.h"
#include "common/settings_record.h"
#include "ui/warning_volume_win32.h"

namespace suite {
namespace {

int gDeadFontMessages = 0;

// Every control of the main window passes its messages through here first.
LRESULT CALLBACK WatchControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, L"PreviewOriginal"));
    if (message != WM_SETFONT && message != WM_GETFONT) {
        auto font = reinterpret_cast<HGDIOBJ>(CallWindowProcW(original, hwnd, WM_GETFONT, 0, 0));
        if (font && GetObjectType(font) != OBJ_FONT) ++gDeadFontMessages;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropW(hwnd, L"PreviewOriginal");
    }
    return CallWindowProcW(original, hwnd, message, wParam, lParam);
}

BOOL CALLBACK WatchOneControl(HWND control, LPARAM) {
    LONG_PTR original = SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchControl));
    SetPropW(control, L"PreviewOriginal", reinterpret_cast<HANDLE>(original));
    return TRUE;
}

class PreviewHost : public MainWindowHost {
public:
    bool tick = false;
    void OnTimerTick() override { tick = true; }
    void OnWaveInData(WAVEHDR*) override {}
    void OnPowerEvent(bool) override {}
    void OnPhoneBookButton() override {}
    void OnBrowserButton() override {}
    bool InfoBoardOpen() override { return false; }
};

BOOL CALLBACK CountUnpainted(HWND child, LPARAM count) {
    if (GetUpdateRect(child, nullptr, FALSE)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int Run(HINSTANCE instance, const std::string& scene, int seconds) {
    SettingsRecord settings;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    settings.MakeDefaults(WorkArea{work.left, work.top, work.right, work.bottom});
    RecorderShared shared;
    shared.LevelThreshold = 30;
    shared.RecorderMode = kCommandAutomatic;
    bool recording = scene == "recording" || scene == "tray" || scene == "taskbar";
    bool fault = scene == "fault";
    int mode = scene == "tray" ? kDisplayTray : scene == "taskbar" ? kDisplayTaskbar : kDisplayDesktop;

    PreviewHost host;
    MainWindowConfig config;
    config.instance = instance;
    config.shared = &shared;
    config.settings = &settings;
    config.host = &host;
    config.displayMode = mode;
    std::string title = MainWindowTitle("Monitor of Null Output");
    HBRUSH background = CreateSolidBrush(RGB(200, 200, 200));
    if (!RegisterMainWindowClass(instance, title, background) || !RegisterWarningBarClass(instance)) return 1;
    HWND window = CreateMainWindow(config, title);
    if (!window) return 1;
    EnumChildWindows(window, WatchOneControl, 0);
    StartDisplayMode(window);
    if (mode == kDisplayDesktop) ShowMainWindowOnDesktop(window);
    // Start-up goes on before the message loop: whatever still waits for
    // WM_PAINT here would show empty meanwhile.
    int unpaintedAtShow = GetUpdateRect(window, nullptr, FALSE) ? 1 : 0;
    EnumChildWindows(window, CountUnpainted, reinterpret_cast<LPARAM>(&unpaintedAtShow));
    MainWindowNumberField numberField(&shared);
    numberField.Attach(window);
    numberField.Show(recording ? "0312345678 山田太郎" : "");

    std::unique_ptr<OutputVolumeControls> controls = CreateCoreAudioOutputControls();
    WarningAlarm alarm(instance, *controls, settings.warning_volume());
    WarningBar bar(window, &alarm);
    std::atomic<int32_t> savedToEmergency{scene == "alert" ? 1 : 0};
    std::atomic<int32_t> diskFull{scene == "diskfull" ? 1 : 0};
    // The alert scene: three recordings in the emergency folder, each one
    // saved once the previous bar is closed.
    const int alertBars = scene == "alert" ? 3 : 0;
    int barsRaised = 0;
    bool barWasOpen = false;

    int ticks = 0;
    int postedNulls = 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == window && msg.message == WM_NULL) ++postedNulls;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (!host.tick) continue;
        host.tick = false;
        ++ticks;
        if (recording) {
            shared.RecordedBytes = 44 + 8000 * (ticks + 7440);  // a call of about an hour
            shared.PeakLevel = (ticks * 37) % 128;
            shared.SilenceCountdown = 9;
        } else {
            shared.PeakLevel = fault ? 0 : (ticks * 13) % 40;
        }
        bar.Tick(savedToEmergency, diskFull);
        if (bar.IsOpen() && !barWasOpen) ++barsRaised;
        barWasOpen = bar.IsOpen();
        if (!barWasOpen && barsRaised > 0 && barsRaised < alertBars) savedToEmergency = 1;
        MainWindowTick(window);
        MainWindowStatusTick(window, fault);
        if (ticks >= seconds * 2) DestroyWindow(window);
    }
    numberField.Attach(nullptr);
    if (alertBars) std::printf("bars %d alarm %d\n", barsRaised, alarm.Sounding() ? 1 : 0);
    bar.Close();
    std::printf("command %d threshold %d topmost %d number_ready %d main %s %s %s %s\n",
                shared.RecorderCommand.load(), shared.LevelThreshold.load(), settings.topmost(),
                shared.NumberReady.load(), settings.main_window_text(0).Get().c_str(),
                settings.main_window_text(1).Get().c_str(), settings.main_window_text(2).Get().c_str(),
                settings.main_window_text(3).Get().c_str());
    std::printf("dead_font_messages %d posted_nulls %d unpainted_at_show %d\n", gDeadFontMessages, postedNulls,
                unpaintedAtShow);
    std::fflush(stdout);
    DeleteObject(background);
    return 0;
}

}  // namespace
}  // namespace suite

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    std::string args = commandLine ? commandLine : "";
    std::string scene = args.substr(0, args.find(' '));
    int seconds = 30;
    if (args.find(' ') != std::string::npos) seconds = std::atoi(args.c_str() + args.find(' ') + 1);
    if (scene.empty()) scene = "idle";
    return suite::Run(instance, scene, seconds > 0 ? seconds : 30);
}
