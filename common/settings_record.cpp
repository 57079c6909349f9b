#include "settings_record.h"

#include "position_text.h"
#include "sjis_text.h"

namespace suite {

std::string SettingsRecord::GetText(size_t offset, size_t size) const {
    return SjisFromSlot(reinterpret_cast<const char*>(bytes_ + offset), size);
}

void SettingsRecord::SetText(size_t offset, size_t size, const std::string& text) {
    SjisCopy(reinterpret_cast<char*>(bytes_ + offset), size, text);
}

void SettingsRecord::MakeDefaults(const WorkArea& a) {
    for (uint8_t& b : bytes_) b = 0;
    set_auto_start_level(10);
    start_state() = 1;
    warning_volume() = 3;
    recording_format() = 2;
    browser_sort() = 1;
    info_board_font() = 8;
    phone_book_font() = 7;
    show_connection_screen() = 1;

    const int editor[4] = {a.left + (a.right - a.left) / 2 - 390, a.top + (a.bottom - a.top) / 2 - 130, 780, 260};
    const int mainWindow[4] = {a.right / 2 - 235, a.bottom / 2 - 200, 470, 200};
    const int browser[4] = {a.right / 2 - 310, a.bottom / 2 - 100, 620, 210};
    for (int i = 0; i < 4; ++i) {
        WritePositionText(editor_window_text(i), editor[i]);
        WritePositionText(main_window_text(i), mainWindow[i]);
        WritePositionText(browser_window_text(i), browser[i]);
    }
    const int board[4] = {a.right / 2 - 235, a.bottom / 2, 470, 200};
    for (int i = 0; i < 4; ++i) set_info_board_rect(i, static_cast<uint16_t>(board[i]));

    SetText(kWorkFolder, kPathSize, kWorkFolderName);
    SetText(kFileNameFormat, kPathSize, "dd日xx時xx分xx秒");
    SetText(kIncomingNameFormat, kPathSize, "[着信]着信日付-電話番号-電話帳");
    SetText(kOutgoingNameFormat, kPathSize, "[発信]発信日付-電話番号-電話帳");
    SetText(kFolderNameFormat, kPathSize, "yyyy年mm月");
    SetText(kFolderList, kFolderSlotSize, "通話記録\\");
}

LoadOutcome LoadLineSettings(const std::string& path, const WorkArea& area, SettingsRecord* record) {
    LoadOutcome outcome = LoadSettingsImage(path, record->data(), SettingsRecord::kSize);
    if (outcome == LoadOutcome::OneByte) {
        record->MakeDefaults(area);
        WriteWholeSettingsImage(path, record->data(), SettingsRecord::kSize);
    }
    return outcome;
}

bool SaveSettingsOnExit(const std::string& path, const SettingsRecord& record) {
    return WriteSettingsBytes(path, record.data(), 0, SettingsRecord::kExitWriteSize);
}

}  // namespace suite
