// The warning bar "メッセージボックス": a thin red topmost bar across the
// middle of the desktop, raised when a recording went to the emergency
// folder, with the warning sound until the user closes it with "×".
// Also the message boxes of start-up.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "common/win32_text.h"
#include "ui/warning_volume_win32.h"

namespace suite {

// Registers the class "メッセージボックス" (red background, arrow cursor).
bool RegisterWarningBarClass(HINSTANCE instance);

// What differs between the recorders' bars.
struct WarningBarLayout {
    int width, height;       // outer size, centred in the work area (one line on the line recorder's)
    bool handset;            // keeps its caption with the close box, no "×" button, two lines
};

// What the open bar tells.
enum class BarWarning {
    None,
    Saving,    // the saving step's: the emergency folder, a full disk
    Resume,    // the computer slept: calls meanwhile were not recorded
    LowSpace,  // a drive a recording needs is short of room
    SettingsReset,  // the settings file was empty: the defaults are in use
};
// The line recorder's thin strip with "×"; the handset recorder's 760 x 120 bar.
extern const WarningBarLayout kLineWarningBar;
extern const WarningBarLayout kHandsetWarningBar;

// The recorder's one warning bar. The open bar's window points back at this
// object; closing it ends the alarm.
class WarningBar {
public:
    // owner: the main window; alarm: the warning sound, may be null.
    WarningBar(HWND owner, WarningAlarm* alarm, const WarningBarLayout& layout = kLineWarningBar)
        : owner_(owner), alarm_(alarm), layout_(layout) {}
    ~WarningBar();
    WarningBar(const WarningBar&) = delete;
    WarningBar& operator=(const WarningBar&) = delete;

    // Opens the bar with one or two lines (Shift-JIS; line2 may be empty)
    // and starts the alarm. Only one bar exists; while it is open this does
    // nothing and returns false, so the caller keeps its request for a
    // later tick.
    bool Raise(BarWarning kind, const std::string& line1, const std::string& line2);
    bool IsOpen() const { return window_ != nullptr; }
    // What the open bar tells (None without a bar).
    BarWarning Showing() const { return window_ ? kind_ : BarWarning::None; }

    // A warning beside the saving step's: shown at the first tick with no
    // bar open. One of each kind waits; a newer one replaces it.
    void Post(BarWarning kind, const std::string& line1, const std::string& line2);
    HWND Window() const { return window_; }

    // Tick step 5: when savedToEmergency or diskFull is set and no bar is
    // open, raise the bar (with the disk-full text when diskFull is set) and
    // clear both flags (also when the bar could not be made); otherwise a
    // posted warning.
    void Tick(std::atomic<int32_t>& savedToEmergency, std::atomic<int32_t>& diskFull);

    // The bar's "×" (and any other close): ends the alarm and destroys the window.
    void Close();

private:
    // The bar's window is going, whoever destroys it.
    void OnDestroyed(HWND bar);

    HWND owner_;
    WarningAlarm* alarm_;
    const WarningBarLayout& layout_;
    struct Lines {
        std::string line1, line2;  // Shift-JIS; line2 may be empty
    };
    HWND window_ = nullptr;  // the open bar, or none
    BarWarning kind_ = BarWarning::None;
    Lines text_;             // what it says
    Lines resume_, lowSpace_;  // posted, waiting (empty line1: none)
    GdiObject<HFONT> textFont_;
    GdiObject<HFONT> buttonFont_;

    friend LRESULT CALLBACK WarningBarProc(HWND, UINT, WPARAM, LPARAM);
};

// "起動エラー": the work folder is missing. True when the user answers yes
// (go back to the default folder).
bool AskResetMissingWorkFolder(const std::string& folderSjis);

// No usable audio input: the OK message owned by the main window.
void ShowNoAudioInputMessage(HWND mainWindow);

}  // namespace suite
