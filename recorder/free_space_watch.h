// The free space of the drives a recording needs (the record folder's and
// the emergency folder's), watched while the recorder runs, so the user
// hears of a filling disk before a call is cut short.
#pragma once
#include <cstdint>
#include <string>

namespace suite {

// The room on one folder's drive.
struct FolderRoom {
    std::string folder;   // Shift-JIS, as the user finds it
    bool known = false;   // false: the drive could not be asked (a network share out of reach)
    uint64_t freeBytes = 0;
};

// Bytes one hour of recording takes in recording_format (0 WAV, else Ogg).
uint64_t BytesPerHour(uint8_t recordingFormat);

class FreeSpaceWatch {
public:
    static constexpr int64_t kMeasureSeconds = 300;   // the drives are asked every five minutes
    static constexpr int64_t kRepeatSeconds = 3600;   // a closed warning comes back after an hour
    static constexpr uint64_t kMinimumRoom = 100ull * 1024 * 1024;

    // The room one long call needs: an hour in the format, at least kMinimumRoom.
    explicit FreeSpaceWatch(uint8_t recordingFormat);
    uint64_t NeededBytes() const { return needed_; }

    // True at the first call and then once every kMeasureSeconds (a steady
    // clock's seconds): the caller asks the drives then.
    bool TimeToMeasure(int64_t nowSeconds);

    // A reading of both folders. True, with the folder short of room in
    // *warning, when the user is to be told: the first reading below the
    // need, then only when the room has halved since the last warning or an
    // hour after the user closed it. A drive that could not be asked is
    // never short of room.
    bool OnReading(int64_t nowSeconds, const FolderRoom& record, const FolderRoom& emergency, FolderRoom* warning);

    // The user closed the bar that showed the last warning.
    void OnClosed(int64_t nowSeconds) { closedSeconds_ = nowSeconds; }

private:
    uint64_t needed_;
    int64_t lastMeasure_ = -1;     // seconds; none yet
    bool told_ = false;            // a warning stands for the present shortage
    uint64_t toldBytes_ = 0;       // the room that warning named
    int64_t closedSeconds_ = -1;   // when its bar was closed; -1 while it is shown or waits
};

}  // namespace suite
