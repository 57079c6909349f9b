// How the handset recorder saves and runs its pass, from its settings record.
#pragma once

#include "handset/handset_settings_record.h"
#include "recorder/recording_pass.h"
#include "recorder/save_recording.h"

namespace suite {

// What the saving step reads: recordings are named by file_name_format only.
SavingSettings HandsetSavingSettings(HandsetSettingsRecord* record);

// The handset recorder's pass: no line signals, three loud blocks to start.
PassConfig HandsetPassConfig(HandsetSettingsRecord* record);

}  // namespace suite
