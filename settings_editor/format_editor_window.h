// The "各種編集" window: edits one of the four name formats.
#pragma once
#include <windows.h>

#include <string>

#include "common/settings_record.h"

namespace suite {

struct FormatEditorTarget {
    HINSTANCE instance;
    HWND settingsWindow;  // covered, and kept inert, while the editor runs
    HWND settingsEdit;    // the settings window's edit that shows format k
    SettingsRecord* record;
    std::string settingsPath;
};

// Runs the editor for format k (1..4) in its own loop and returns when its
// window has closed; then writes the format's 260 bytes to the settings file.
void RunFormatEditor(const FormatEditorTarget& target, int k);

}  // namespace suite
