// Tessimor: the line recorder's settings editor. Loads the settings file
// whole, lets the user edit it in one window, writes it whole at the end.
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include "common/file_layer.h"
#include "common/settings_file.h"
#include "common/settings_record.h"
#include "settings_editor/settings_window.h"
#include "common/window_win32.h"

namespace {

// Takes one message at a time without waiting; when there is none, sleeps
// 10 ms and serves the window's requests. Ends at the quit message.
void RunLoop(suite::SettingsWindowState* window) {
    for (;;) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        Sleep(10);
        suite::ServeSettingsRequests(window);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static suite::SettingsRecord record;
    suite::LoadOutcome outcome =
        suite::LoadSettingsImage(suite::kSettingsFilePath, record.data(), suite::SettingsRecord::kSize);
    if (outcome == suite::LoadOutcome::Empty) {
        // Loading created it: an empty file is no settings at all.
        suite::DeleteFilePath(suite::kSettingsFilePath);
        return 0;
    }
    // The shipped file (or one the user deleted, now made anew): the same
    // defaults the recorder makes, shown now and written at the end.
    if (outcome == suite::LoadOutcome::OneByte) record.MakeDefaults(suite::CurrentWorkArea());

    // The shell's folder chooser wants COM on this thread.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    timeBeginPeriod(1);
    suite::SettingsWindowState window;
    if (suite::CreateSettingsWindow(&window, instance, &record, suite::kSettingsFilePath, suite::CurrentWorkArea())) {
        RunLoop(&window);
        suite::WriteSettingsBytes(suite::kSettingsFilePath, record.data(), 0, suite::SettingsRecord::kSize);
    }
    timeEndPeriod(1);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}
