#include "recorder/unattended_win32.h"

#include "common/text_convert.h"
#include "common/win32_text.h"

namespace suite {

void ThreadSystemAwake::Hold(bool awake) {
    SetThreadExecutionState(awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

FolderRoom MeasureFolderRoom(const std::string& folder) {
    FolderRoom room;
    room.folder = folder;
    std::u16string wide = SjisToUtf16(folder);
    WCHAR full[MAX_PATH * 2];
    DWORD n = GetFullPathNameW(AsWide(wide), MAX_PATH * 2, full, nullptr);
    if (n == 0 || n >= MAX_PATH * 2) return room;
    std::u16string path(reinterpret_cast<const char16_t*>(full), n);
    // Shown without its last "\", so that a shortened line keeps the
    // folder's own name.
    int shownLength = static_cast<int>(n);
    if (shownLength > 3 && full[shownLength - 1] == L'\\') --shownLength;
    std::string shown;
    if (WideToSjis(full, shownLength, &shown)) room.folder = shown;
    // Up to the root until a folder answers; a share that does not answer
    // stays unknown.
    for (;;) {
        ULARGE_INTEGER available;
        if (GetDiskFreeSpaceExW(AsWide(path), &available, nullptr, nullptr)) {
            room.known = true;
            room.freeBytes = available.QuadPart;
            return room;
        }
        while (!path.empty() && path.back() == u'\\') path.pop_back();
        size_t cut = path.find_last_of(u'\\');
        if (cut == std::u16string::npos || cut < 2) return room;
        path.resize(cut + 1);
    }
}

bool RoomProbe::Ask(const std::string& recordFolder, const std::string& emergencyFolder) {
    if (state_.load() == 1) return false;
    if (!thread_) {
        wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!wake_) return false;
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        if (!thread_) return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        record_ = FolderRoom{recordFolder};
        emergency_ = FolderRoom{emergencyFolder};
    }
    state_.store(1);
    SetEvent(wake_);
    return true;
}

bool RoomProbe::Take(FolderRoom* record, FolderRoom* emergency) {
    if (state_.load() != 2) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    *record = record_;
    *emergency = emergency_;
    state_.store(0);
    return true;
}

DWORD WINAPI RoomProbe::Run(LPVOID self) {
    auto* probe = static_cast<RoomProbe*>(self);
    for (;;) {
        WaitForSingleObject(probe->wake_, INFINITE);
        std::string recordFolder, emergencyFolder;
        {
            std::lock_guard<std::mutex> lock(probe->mutex_);
            recordFolder = probe->record_.folder;
            emergencyFolder = probe->emergency_.folder;
        }
        FolderRoom record = MeasureFolderRoom(recordFolder);
        FolderRoom emergency = MeasureFolderRoom(emergencyFolder);
        {
            std::lock_guard<std::mutex> lock(probe->mutex_);
            probe->record_ = record;
            probe->emergency_ = emergency;
        }
        probe->state_.store(2);
    }
}

}  // namespace suite
