// The line recorder's 3572-byte settings image, field by field at fixed
// offsets: the fields both recorders share (recorder_settings.h) and the
// line recorder's own. Bytes not named here are reserved and pass through
// unchanged.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/recorder_settings.h"

namespace suite {

class SettingsRecord : public RecorderSettingsImage<3572, 1740, 2000> {
public:
    // Offsets of the line recorder's own fields.
    enum Offset : size_t {
        kInfoBoardMode = 11,
        kListBoardSize = 37,
        kInfoBoardRect = 62,
        kInfoBoardFont = 94,
        kPhoneBookFont = 95,
        kWorkFolder = 400,
        kIncomingNameFormat = 1220,
        kOutgoingNameFormat = 1480,
        kNumberOutputPath = 3310,
    };

    uint8_t& info_board_mode() { return data()[kInfoBoardMode]; }
    uint8_t& info_board_font() { return data()[kInfoBoardFont]; }
    uint8_t& phone_book_font() { return data()[kPhoneBookFont]; }

    // i: 0 width, 1 height.
    uint16_t list_board_size(int i) const;
    void set_list_board_size(int i, uint16_t v);
    // i: 0 x, 1 y, 2 width, 3 height.
    uint16_t info_board_rect(int i) const;
    void set_info_board_rect(int i, uint16_t v);

    TextSlot work_folder() { return Slot(kWorkFolder, kPathSize); }
    ConstTextSlot work_folder() const { return Slot(kWorkFolder, kPathSize); }
    TextSlot incoming_name_format() { return Slot(kIncomingNameFormat, kPathSize); }
    ConstTextSlot incoming_name_format() const { return Slot(kIncomingNameFormat, kPathSize); }
    TextSlot outgoing_name_format() { return Slot(kOutgoingNameFormat, kPathSize); }
    ConstTextSlot outgoing_name_format() const { return Slot(kOutgoingNameFormat, kPathSize); }
    TextSlot number_output_path() { return Slot(kNumberOutputPath, kPathSize); }
    ConstTextSlot number_output_path() const { return Slot(kNumberOutputPath, kPathSize); }

    // The new image: all zero, then the defaults, positions from the work area.
    void MakeDefaults(const WorkArea& area);
};

// Start-up load of the line recorder (see LoadRecorderSettings): the
// defaults of a one-byte file are this record's, 3572 bytes.
LoadOutcome LoadLineSettings(const std::string& path, const WorkArea& area, SettingsRecord* record);

// The write at the recorder's exit: bytes 0..692, the rest of the file untouched.
inline bool SaveSettingsOnExit(const std::string& path, const SettingsRecord& record) {
    return SaveRecorderSettingsOnExit(path, record);
}

}  // namespace suite
