// Tessimor: the line recorder's settings editor. Loads the settings file
// whole, lets the user edit it in one window, writes it whole at the end.
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include "common/program_folder_win32.h"
#include "common/settings_file.h"
#include "common/settings_record.h"
#include "common/win32_text.h"
#include "settings_editor/settings_window.h"
#include "common/window_win32.h"

namespace {

const char kSettingsResetCaption[] = "設定ファイル";
const char kSettingsResetText[] =
    "設定ファイルが空だったため、設定を初期値に戻しました。\n"
    "電話帳と録音はそのままです。変更した設定は、この画面を閉じるときに保存されます。";

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
    if (!suite::EnterProgramFolder("Tessimor")) return 0;
    static suite::SettingsRecord record;
    suite::LoadOutcome outcome =
        suite::LoadSettingsImage(suite::kSettingsFilePath, record.data(), suite::SettingsRecord::kSize);
    // An empty file (an interrupted write, a full disk) is no settings at
    // all: like a deleted one it is now the shipped file, and the user is told.
    if (outcome == suite::LoadOutcome::Empty) {
        suite::ShowMessage(nullptr, kSettingsResetText, kSettingsResetCaption, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
    }
    // The shipped file (or one the user deleted or emptied, now made anew):
    // the same defaults the recorder makes, shown now and written at the end.
    if (outcome == suite::LoadOutcome::OneByte || outcome == suite::LoadOutcome::Empty) {
        record.MakeDefaults(suite::CurrentWorkArea());
    }

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
