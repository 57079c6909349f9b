#include "handset/handset_pass_config.h"

namespace suite {

SavingSettings HandsetSavingSettings(HandsetSettingsRecord* record) {
    return RecorderSavingSettings(record, record->folder_name_format());
}

PassConfig HandsetPassConfig(HandsetSettingsRecord* record) {
    PassConfig config = RecorderPassConfig(*record, HandsetSavingSettings(record));
    config.handset = true;
    return config;
}

}  // namespace suite
