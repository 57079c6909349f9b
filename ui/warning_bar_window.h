// The warning bar "メッセージボックス": a thin red topmost bar across the
// middle of the desktop, raised when a recording went to the emergency
// folder, with the warning sound until the user closes it with "×".
// Also the message boxes of start-up.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "warning_volume_win32.h"

namespace suite {

// Registers the class "メッセージボックス" (red background, arrow cursor).
bool RegisterAlertPopupClass(HINSTANCE instance);

// Opens the bar (owner: the main window) and starts the alarm. Only one bar
// exists; while it is open this does nothing and returns false, so the
// caller keeps its request for a later tick.
bool RaiseAlertPopup(HWND owner, WarningAlarm* alarm);
bool AlertPopupOpen();
HWND AlertPopupWindow();

// Tick step 5: when savedToEmergency is set and no bar is open, raise the
// bar and clear the flag (also when the bar could not be made).
void AlertPopupTick(HWND owner, WarningAlarm* alarm, std::atomic<int32_t>& savedToEmergency);

// "起動エラー": the work folder is missing. True when the user answers yes
// (go back to the default folder).
bool AskResetMissingWorkFolder(const std::string& folderSjis);

// No usable audio input: the OK message owned by the main window.
void ShowNoAudioInputMessage(HWND mainWindow);

}  // namespace suite
