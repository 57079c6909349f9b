#include "handset/handset_settings_record.h"

#include "common/position_text.h"

namespace suite {

void HandsetSettingsRecord::MakeDefaults(const WorkArea& a) {
    MakeSharedDefaults();
    data()[7] = 1;  // reserved, but a new image holds 1 here

    const int cx = a.left + (a.right - a.left) / 2;
    const int cy = a.top + (a.bottom - a.top) / 2;
    const int editor[4] = {cx - 325, cy - 80, 650, 160};
    const int mainWindow[4] = {cx - 235, cy - 100, 470, 200};
    const int browser[4] = {cx - 300, cy, 600, 200};
    for (int i = 0; i < 4; ++i) {
        WritePositionText(editor_window_text(i), editor[i]);
        WritePositionText(main_window_text(i), mainWindow[i]);
        WritePositionText(browser_window_text(i), browser[i]);
    }
    folder_name_format().Set("yyyy年mm月");
    folder_list(0).Set(kDefaultRecordFolder);
}

LoadOutcome LoadHandsetSettings(const std::string& path, const WorkArea& area, HandsetSettingsRecord* record) {
    return LoadRecorderSettings(path, record, [&](HandsetSettingsRecord* r) { r->MakeDefaults(area); });
}

}  // namespace suite
