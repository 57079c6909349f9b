// The line recorder's 3572-byte settings image, field by field at fixed
// offsets. Bytes not named here are reserved and pass through unchanged.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings_file.h"

namespace suite {

class SettingsRecord {
public:
    static constexpr size_t kSize = 3572;
    static constexpr size_t kExitWriteSize = 693;  // bytes 0..692 written at exit

    static constexpr size_t kFolderSlots = 5;
    static constexpr size_t kFolderSlotSize = 262;
    static constexpr size_t kPathSize = 260;
    static constexpr size_t kRecordingPathSize = 300;
    static constexpr size_t kDeviceNameSize = 33;

    // Offsets of the fields.
    enum Offset : size_t {
        kAutoStartLevel = 0,
        kBrowserFlags = 4,
        kStartState = 5,
        kStartPlace = 6,
        kSilenceChoice = 8,
        kWarningVolume = 9,
        kRecordingFormat = 10,
        kInfoBoardMode = 11,
        kBrowserSort = 12,
        kBrowserAmplify = 13,
        kEditorWindowText = 14,
        kShowConnectionScreen = 34,
        kInputDeviceIndex = 35,
        kInputDeviceCount = 36,
        kListBoardSize = 37,
        kTopmost = 41,
        kMainWindowText = 42,
        kInfoBoardRect = 62,
        kBrowserWindowText = 70,
        kSavedDeviceCount = 90,
        kFolderChoice = 92,
        kInfoBoardFont = 94,
        kPhoneBookFont = 95,
        kRecordingPath = 100,
        kWorkFolder = 400,
        kInputDeviceName = 660,
        kRecordFolder = 700,
        kFileNameFormat = 960,
        kIncomingNameFormat = 1220,
        kOutgoingNameFormat = 1480,
        kFolderNameFormat = 1740,
        kFolderList = 2000,
        kNumberOutputPath = 3310,
    };

    uint8_t* data() { return bytes_; }
    const uint8_t* data() const { return bytes_; }

    uint32_t auto_start_level() const { return ReadU32(bytes_ + kAutoStartLevel); }
    void set_auto_start_level(uint32_t v) { WriteU32(bytes_ + kAutoStartLevel, v); }

    uint8_t& browser_flags() { return bytes_[kBrowserFlags]; }
    uint8_t& start_state() { return bytes_[kStartState]; }
    uint8_t& start_place() { return bytes_[kStartPlace]; }
    uint8_t& silence_choice() { return bytes_[kSilenceChoice]; }
    uint8_t& warning_volume() { return bytes_[kWarningVolume]; }
    uint8_t& recording_format() { return bytes_[kRecordingFormat]; }
    uint8_t& info_board_mode() { return bytes_[kInfoBoardMode]; }
    uint8_t& browser_sort() { return bytes_[kBrowserSort]; }
    uint8_t& browser_amplify() { return bytes_[kBrowserAmplify]; }
    uint8_t& show_connection_screen() { return bytes_[kShowConnectionScreen]; }
    uint8_t& input_device_index() { return bytes_[kInputDeviceIndex]; }
    uint8_t& input_device_count() { return bytes_[kInputDeviceCount]; }
    uint8_t& topmost() { return bytes_[kTopmost]; }
    uint8_t& saved_device_count() { return bytes_[kSavedDeviceCount]; }
    uint8_t& folder_choice() { return bytes_[kFolderChoice]; }
    uint8_t& info_board_font() { return bytes_[kInfoBoardFont]; }
    uint8_t& phone_book_font() { return bytes_[kPhoneBookFont]; }

    // i: 0 width, 1 height.
    uint16_t list_board_size(int i) const { return ReadU16(bytes_ + kListBoardSize + 2 * i); }
    void set_list_board_size(int i, uint16_t v) { WriteU16(bytes_ + kListBoardSize + 2 * i, v); }
    // i: 0 x, 1 y, 2 width, 3 height.
    uint16_t info_board_rect(int i) const { return ReadU16(bytes_ + kInfoBoardRect + 2 * i); }
    void set_info_board_rect(int i, uint16_t v) { WriteU16(bytes_ + kInfoBoardRect + 2 * i, v); }

    // Position texts, i: 0 x, 1 y, 2 width, 3 height; each a 5-byte slot.
    char* editor_window_text(int i) { return Text(kEditorWindowText + 5 * i); }
    char* main_window_text(int i) { return Text(kMainWindowText + 5 * i); }
    char* browser_window_text(int i) { return Text(kBrowserWindowText + 5 * i); }

    char* recording_path() { return Text(kRecordingPath); }
    char* work_folder() { return Text(kWorkFolder); }
    char* input_device_name() { return Text(kInputDeviceName); }
    char* record_folder() { return Text(kRecordFolder); }
    char* file_name_format() { return Text(kFileNameFormat); }
    char* incoming_name_format() { return Text(kIncomingNameFormat); }
    char* outgoing_name_format() { return Text(kOutgoingNameFormat); }
    char* folder_name_format() { return Text(kFolderNameFormat); }
    char* folder_list(size_t slot) { return Text(kFolderList + kFolderSlotSize * slot); }
    char* number_output_path() { return Text(kNumberOutputPath); }

    // A text field as a string, bounded by its slot.
    std::string GetText(size_t offset, size_t size) const;
    // Stores text into a slot, truncated without splitting a character.
    void SetText(size_t offset, size_t size, const std::string& text);

    // The new image: all zero, then the defaults, positions from the work area.
    void MakeDefaults(const WorkArea& area);

private:
    char* Text(size_t offset) { return reinterpret_cast<char*>(bytes_ + offset); }

    uint8_t bytes_[kSize] = {};
};

// Start-up load of the line recorder. Empty: the caller ends. OneByte: the
// defaults are made and written over the file (3572 bytes); the outcome is
// still OneByte so the caller can tell. Unopenable: an all-zero record.
LoadOutcome LoadLineSettings(const std::string& path, const WorkArea& area, SettingsRecord* record);

// The write at the recorder's exit: bytes 0..692, the rest of the file untouched.
bool SaveSettingsOnExit(const std::string& path, const SettingsRecord& record);

}  // namespace suite
