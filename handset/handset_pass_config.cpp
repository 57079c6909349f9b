#include "handset/handset_pass_config.h"

namespace suite {

SavingSettings HandsetSavingSettings(HandsetSettingsRecord* record) {
    return RecorderSavingSettings(record, record->folder_name_format());
}

PassConfig HandsetPassConfig(HandsetSettingsRecord* record) {
    PassConfig config = RecorderPassConfig(*record, HandsetSavingSettings(record));
    config.policy.lineSignals = false;
    config.policy.loudBlocksToStart = 3;  // 1.5 s of sound: a click or a cough is no call
    config.policy.fieldClearing = FieldClearing::AtOpenAndDiscard;
    return config;
}

}  // namespace suite
