// The recorder's main window: status word, level meter, threshold bar, the
// ten buttons and the number field; its presence on the desktop, in the task
// bar (flashing while recording) or in the tray (level icons, recording time).
// The window turns clicks into requests; the program's loop does the work.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <string>

#include "common/recorder_shared.h"
#include "common/recorder_settings.h"
#include "common/run_entry_win32.h"

namespace suite {

// What the window procedure hands over to the program.
class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    // Timer 1 (500 ms): set TickFlag.
    virtual void OnTimerTick() = 0;
    // MM_WIM_DATA: a capture buffer is full.
    virtual void OnWaveInData(WAVEHDR* header) = 0;
    // Suspend (power event 4) or resume (7, 18): delay the connection check
    // and mute the next blocks; resumed tells which.
    virtual void OnPowerEvent(bool resumed) = 0;
    // "電話帳": phone book request = 1 when it is 0.
    virtual void OnPhoneBookButton() = 0;
    // "記録操作": browser request = 1.
    virtual void OnBrowserButton() = 0;
    // Whether an information board is open (a click on the window asks for
    // one through NumberReady = 2 only when none is).
    virtual bool InfoBoardOpen() = 0;
    // WM_ENDSESSION with the session ending: the process may end on return
    // without WM_QUIT, so an open recording is saved and the settings
    // written here.
    virtual void OnEndSession() {}
    // The window is about to be destroyed ("×", the tray's "閉じる"): an open
    // recording is saved now, while the capture still reports to the
    // window, so the call is kept up to the close.
    virtual void OnClosing() {}
};

enum DisplayMode { kDisplayDesktop = 0, kDisplayTaskbar = 1, kDisplayTray = 2 };

struct MainWindowConfig {
    HINSTANCE instance = nullptr;
    RecorderShared* shared = nullptr;    // levels, command, RecordedBytes, NumberReady
    RecorderSettings* settings = nullptr;  // topmost, main_window_text (written at destroy)
    MainWindowHost* host = nullptr;
    int displayMode = kDisplayDesktop;   // start_place
    // Line recorder: the "電話帳" button and the click that asks for the
    // information board. Off for the handset recorder.
    bool lineRecorder = true;
    // The start-with-Windows item of the window menu, or none (the line
    // recorder's option is in its settings editor).
    const RunEntry* startWithWindows = nullptr;
};

// "めるとあ - " + device name: the main window's class name and title.
std::string MainWindowTitle(const std::string& deviceNameSjis);

// Registers the main window class (icon 100, arrow cursor, background brush
// owned by the caller). className is Shift-JIS.
bool RegisterMainWindowClass(HINSTANCE instance, const std::string& classNameSjis, HBRUSH background);

// Creates the main window at the rectangle of main_window_text with the
// style of the display mode, applies topmost and shows it as the display
// mode starts (hidden on the desktop and in the tray, minimised in the task
// bar). The config must outlive the window. Null on failure.
HWND CreateMainWindow(const MainWindowConfig& config, const std::string& classNameSjis);

// Start-up of the display mode (the task bar's flashing window, the tray
// icon "待機中"); both go when the window is destroyed.
void StartDisplayMode(HWND window);

// Shows the window on the desktop and sets the visible flag (display mode 0,
// once the input device is open).
void ShowMainWindowOnDesktop(HWND window);
// Sets the title (and nothing else) to MainWindowTitle(deviceName).
void SetMainWindowDeviceName(HWND window, const std::string& deviceNameSjis);

// Tick step 6: level meter, tray animation, screen-off watch, display-mode upkeep.
void MainWindowTick(HWND window);
// Tick step 8: repaint when the threshold changed, then the status word
// (" 接続不良 " while connectionFault is set).
void MainWindowStatusTick(HWND window, bool connectionFault);

// The number field (2020). Its text is the shared NumberFieldText; Show is
// safe from any thread, the control is updated on the window's thread.
class MainWindowNumberField : public NumberField {
public:
    explicit MainWindowNumberField(RecorderShared* shared) : shared_(shared) {}
    // The main window that shows the text; null before it exists.
    void Attach(HWND window) { window_.store(window); }
    std::string Text() const override { return shared_->NumberFieldText.Get(); }
    void Show(const std::string& text) override;
    void Clear() { Show(std::string()); }

private:
    RecorderShared* shared_;
    std::atomic<HWND> window_{nullptr};
};

}  // namespace suite
