#include "handset_settings_record.h"

#include "common/position_text.h"
#include "common/sjis_text.h"

namespace suite {

std::string HandsetSettingsRecord::GetText(size_t offset, size_t size) const {
    return SjisFromSlot(reinterpret_cast<const char*>(bytes_ + offset), size);
}

void HandsetSettingsRecord::SetText(size_t offset, size_t size, const std::string& text) {
    SjisCopy(reinterpret_cast<char*>(bytes_ + offset), size, text);
}

void HandsetSettingsRecord::MakeDefaults(const WorkArea& a) {
    for (uint8_t& b : bytes_) b = 0;
    set_auto_start_level(10);
    start_state() = 1;
    bytes_[7] = 1;  // reserved, but a new image holds 1 here
    warning_volume() = 3;
    recording_format() = 2;
    browser_sort() = 1;
    show_connection_screen() = 1;

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
    SetText(kFileNameFormat, kPathSize, "dd日xx時xx分xx秒");
    SetText(kFolderNameFormat, kPathSize, "yyyy年mm月");
    SetText(kFolderList, kFolderSlotSize, "通話記録\\");
}

LoadOutcome LoadHandsetSettings(const std::string& path, const WorkArea& area, HandsetSettingsRecord* record) {
    LoadOutcome outcome = LoadSettingsImage(path, record->data(), HandsetSettingsRecord::kSize);
    if (outcome == LoadOutcome::OneByte) {
        record->MakeDefaults(area);
        WriteWholeSettingsImage(path, record->data(), HandsetSettingsRecord::kSize);
    }
    return outcome;
}

bool SaveHandsetSettingsOnExit(const std::string& path, const HandsetSettingsRecord& record) {
    return WriteSettingsBytes(path, record.data(), 0, HandsetSettingsRecord::kExitWriteSize);
}

}  // namespace suite
