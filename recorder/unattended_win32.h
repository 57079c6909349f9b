// The Win32 side of a recorder left to run alone: the system's keep-awake
// request and the asking of the drives' free space off the user-interface
// thread (a network share out of reach may block for many seconds).
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "recorder/free_space_watch.h"
#include "recorder/power_watch.h"

namespace suite {

// SetThreadExecutionState on the calling thread, which must live for the
// whole request: the system stays awake, the display may still turn off.
class ThreadSystemAwake : public SystemAwake {
public:
    void Hold(bool awake) override;
};

// The room on the drive of folder (Shift-JIS, relative to the current
// folder or full): the full path as the user finds it, and the free bytes
// when the drive answers. A folder not made yet is measured at its parent.
FolderRoom MeasureFolderRoom(const std::string& folder);

// Measures two folders on a thread of its own, one request at a time.
class RoomProbe {
public:
    RoomProbe() = default;
    RoomProbe(const RoomProbe&) = delete;
    RoomProbe& operator=(const RoomProbe&) = delete;

    // Starts measuring; false while the last request is still under way.
    bool Ask(const std::string& recordFolder, const std::string& emergencyFolder);
    // The readings of the last request, once, when they are in.
    bool Take(FolderRoom* record, FolderRoom* emergency);

private:
    static DWORD WINAPI Run(LPVOID self);

    std::mutex mutex_;
    FolderRoom record_, emergency_;  // the request's folders, then its readings
    std::atomic<int> state_{0};      // 0 idle, 1 measuring, 2 readings in
    HANDLE wake_ = nullptr;          // the thread waits on it; both live until the process ends
    HANDLE thread_ = nullptr;
};

}  // namespace suite
