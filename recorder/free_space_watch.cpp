#include "recorder/free_space_watch.h"

namespace suite {

uint64_t BytesPerHour(uint8_t recordingFormat) {
    // WAV: 8000 samples of 2 bytes a second. Ogg: what the qualities make of
    // speech, as the settings editor lists them (16.0, 11.2, 6.4 MB/h).
    switch (recordingFormat) {
        case 0: return 8000ull * 2 * 3600;
        case 1: return 16000000;
        case 3: return 6400000;
        default: return 11200000;
    }
}

FreeSpaceWatch::FreeSpaceWatch(uint8_t recordingFormat) {
    uint64_t hour = BytesPerHour(recordingFormat);
    needed_ = hour > kMinimumRoom ? hour : kMinimumRoom;
}

bool FreeSpaceWatch::TimeToMeasure(int64_t nowSeconds) {
    if (lastMeasure_ >= 0 && nowSeconds - lastMeasure_ < kMeasureSeconds) return false;
    lastMeasure_ = nowSeconds;
    return true;
}

bool FreeSpaceWatch::OnReading(int64_t nowSeconds, const FolderRoom& record, const FolderRoom& emergency,
                               FolderRoom* warning) {
    const FolderRoom* shortest = nullptr;
    for (const FolderRoom* room : {&record, &emergency}) {
        if (!room->known || room->freeBytes >= needed_) continue;
        if (!shortest || room->freeBytes < shortest->freeBytes) shortest = room;
    }
    if (!shortest) {
        // Room again (or no drive answered): a later shortage is told afresh.
        told_ = false;
        closedSeconds_ = -1;
        return false;
    }
    if (told_) {
        bool worse = shortest->freeBytes < toldBytes_ / 2;
        bool hourAfterClose = closedSeconds_ >= 0 && nowSeconds - closedSeconds_ >= kRepeatSeconds;
        if (!worse && !hourAfterClose) return false;
    }
    told_ = true;
    toldBytes_ = shortest->freeBytes;
    closedSeconds_ = -1;
    *warning = *shortest;
    return true;
}

}  // namespace suite
