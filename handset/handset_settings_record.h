// The handset recorder's 2790-byte settings image: the fields both recorders
// share (common/recorder_settings.h) and the handset's own folder name
// format and folder list, which sit elsewhere than the line recorder's.
// Byte 11 (the line recorder's board mode) is reserved here and passes
// through.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/recorder_settings.h"

namespace suite {

class HandsetSettingsRecord : public RecorderSettingsImage<2790, 1220, 1480> {
public:
    void MakeDefaults(const WorkArea& area);
};

// Start-up load of the handset recorder, with the line recorder's size rules.
LoadOutcome LoadHandsetSettings(const std::string& path, const WorkArea& area, HandsetSettingsRecord* record);

inline bool SaveHandsetSettingsOnExit(const std::string& path, const HandsetSettingsRecord& record) {
    return SaveRecorderSettingsOnExit(path, record);
}

}  // namespace suite
