#include "common/settings_record.h"

#include "common/byte_io.h"
#include "common/position_text.h"

namespace suite {

uint16_t SettingsRecord::list_board_size(int i) const {
    return ByteReader(data(), kSize).U16LE(kListBoardSize + 2 * i);
}

void SettingsRecord::set_list_board_size(int i, uint16_t v) {
    ByteWriter(data(), kSize).U16LE(kListBoardSize + 2 * i, v);
}

uint16_t SettingsRecord::info_board_rect(int i) const {
    return ByteReader(data(), kSize).U16LE(kInfoBoardRect + 2 * i);
}

void SettingsRecord::set_info_board_rect(int i, uint16_t v) {
    ByteWriter(data(), kSize).U16LE(kInfoBoardRect + 2 * i, v);
}

void SettingsRecord::MakeDefaults(const WorkArea& a) {
    MakeSharedDefaults();
    info_board_font() = 8;
    phone_book_font() = 7;

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

    work_folder().Set(kWorkFolderName);
    incoming_name_format().Set("[着信]着信日付-電話番号-電話帳");
    outgoing_name_format().Set("[発信]発信日付-電話番号-電話帳");
    folder_name_format().Set("yyyy年mm月");
    folder_list(0).Set(kDefaultRecordFolder);
}

LoadOutcome LoadLineSettings(const std::string& path, const WorkArea& area, SettingsRecord* record) {
    return LoadRecorderSettings(path, record, [&](SettingsRecord* r) { r->MakeDefaults(area); });
}

}  // namespace suite
