// The "Tessimor" window: lists, edits and buttons over the settings record.
#pragma once
#include <windows.h>

#include <string>

#include "common/run_entry_win32.h"
#include "common/settings_record.h"
#include "common/win32_text.h"

namespace suite {

// State of the settings window. It outlives the window itself, so the idle
// step may finish safely after the user closed the window during a message.
struct SettingsWindowState {
    HWND hwnd = nullptr;  // null once the window is destroyed
    HINSTANCE instance = nullptr;
    SettingsRecord* record = nullptr;
    std::string settingsPath;

    HWND lists[7] = {};        // 2000..2006
    HWND folderList = nullptr;  // 2008
    HWND edits[5] = {};        // 2009..2013
    HWND startWithWindows = nullptr;  // 2021
    RunEntry recorderRun;      // the line recorder beside the editor
    GdiObject<HFONT> font;      // label font, remade on every layout
    GdiObject<HBRUSH> background;
    int clientWidth = 0, clientHeight = 0;  // pixels

    // Requests left by the buttons for the idle step.
    bool addFolderRequested = false;
    bool deleteFolderRequested = false;
    int formatRequested = 0;  // 0 none, else format 1..4
    bool browseIncomingRequested = false;
    bool startWithWindowsRequested = false;

    bool modalOpen = false;  // a folder browser or the format editor is over the window
    int recorderCountdown = 300;  // idle passes until the next recorder check
};

// Creates the window at its stored place over record, shows it normally and
// topmost. False when it could not be created.
bool CreateSettingsWindow(SettingsWindowState* state, HINSTANCE instance, SettingsRecord* record,
                          const std::string& settingsPath, const WorkArea& workArea);

// One idle pass of the loop: serves the buttons' requests in their fixed
// order (add folder, delete folder, format editor, browse incoming folder,
// start with Windows), then counts down to the recorder check.
void ServeSettingsRequests(SettingsWindowState* state);

}  // namespace suite
