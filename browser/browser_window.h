// The browser window "記録操作" and the thread that owns it. Both recorders
// open it from their main window; what differs between them comes in the
// BrowserConfig.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "browser/recording_list.h"
#include "common/recorder_settings.h"

namespace suite {

struct BrowserConfig {
    HINSTANCE instance = nullptr;
    // The recorder's record (its folder_list at the record's own offsets);
    // the browser changes its browser fields in memory.
    RecorderSettings* settings = nullptr;
    std::string settingsPath;  // the close writes three ranges into it
    std::string chooserTitle;  // Shift-JIS title of the folder chooser
    HWND mainWindow = nullptr; // disabled while the browser is open
};

// Window procedure of the class "CDialog" (registered by the recorder).
LRESULT CALLBACK BrowserWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the list's rows and selection in the recording drop-down list (a
// rebuild's fill; the timing tool uses it too).
void ShowListRows(HWND combo, const RecordingList& list, int clientWidth);

// The browser's thread, as the recorder's main thread sees it.
class BrowserThread {
public:
    explicit BrowserThread(const BrowserConfig& config) : config_(config) {}
    ~BrowserThread();
    BrowserThread(const BrowserThread&) = delete;
    BrowserThread& operator=(const BrowserThread&) = delete;

    // Opens the browser on folder (recording_path) with preferred
    // (LastSavedName) selected. False, and nothing happens, while one is
    // running from its start to its end.
    bool Start(const std::string& folder, const std::string& preferred);
    bool Running() const { return running_.load(); }
    // Asks the window to close (a playback stops at once) and waits for the
    // thread, at most timeoutMs; true when no browser runs afterwards.
    bool Close(DWORD timeoutMs);

private:
    static DWORD WINAPI Main(LPVOID self);

    BrowserConfig config_;
    std::string folder_, preferred_;  // handed to the thread at its start
    std::atomic<bool> running_{false};
    std::atomic<HWND> window_{nullptr};
    HANDLE thread_ = nullptr;
};

}  // namespace suite
