// The handset recorder's 2790-byte settings image. Same conventions as the
// line recorder's record; its formats and folder list sit elsewhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/settings_file.h"

namespace suite {

class HandsetSettingsRecord {
public:
    static constexpr size_t kSize = 2790;
    static constexpr size_t kExitWriteSize = 693;
    static constexpr size_t kFolderSlots = 5;
    static constexpr size_t kFolderSlotSize = 262;
    static constexpr size_t kPathSize = 260;

    enum Offset : size_t {
        kAutoStartLevel = 0,
        kBrowserFlags = 4,
        kStartState = 5,
        kStartPlace = 6,
        kSilenceChoice = 8,
        kWarningVolume = 9,
        kRecordingFormat = 10,
        kBrowserSort = 12,
        kBrowserAmplify = 13,
        kEditorWindowText = 14,
        kShowConnectionScreen = 34,
        kInputDeviceIndex = 35,
        kInputDeviceCount = 36,
        kTopmost = 41,
        kMainWindowText = 42,
        kBrowserWindowText = 70,
        kSavedDeviceCount = 90,
        kFolderChoice = 92,
        kRecordingPath = 100,
        kInputDeviceName = 660,
        kRecordFolder = 700,
        kFileNameFormat = 960,
        kFolderNameFormat = 1220,
        kFolderList = 1480,
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
    uint8_t& browser_sort() { return bytes_[kBrowserSort]; }
    uint8_t& browser_amplify() { return bytes_[kBrowserAmplify]; }
    uint8_t& show_connection_screen() { return bytes_[kShowConnectionScreen]; }
    uint8_t& input_device_index() { return bytes_[kInputDeviceIndex]; }
    uint8_t& input_device_count() { return bytes_[kInputDeviceCount]; }
    uint8_t& topmost() { return bytes_[kTopmost]; }
    uint8_t& saved_device_count() { return bytes_[kSavedDeviceCount]; }
    uint8_t& folder_choice() { return bytes_[kFolderChoice]; }

    char* editor_window_text(int i) { return Text(kEditorWindowText + 5 * i); }
    char* main_window_text(int i) { return Text(kMainWindowText + 5 * i); }
    char* browser_window_text(int i) { return Text(kBrowserWindowText + 5 * i); }

    char* recording_path() { return Text(kRecordingPath); }
    char* input_device_name() { return Text(kInputDeviceName); }
    char* record_folder() { return Text(kRecordFolder); }
    char* file_name_format() { return Text(kFileNameFormat); }
    char* folder_name_format() { return Text(kFolderNameFormat); }
    char* folder_list(size_t slot) { return Text(kFolderList + kFolderSlotSize * slot); }

    std::string GetText(size_t offset, size_t size) const;
    void SetText(size_t offset, size_t size, const std::string& text);

    void MakeDefaults(const WorkArea& area);

private:
    char* Text(size_t offset) { return reinterpret_cast<char*>(bytes_ + offset); }

    uint8_t bytes_[kSize] = {};
};

// Start-up load of the handset recorder, with the line recorder's size rules.
LoadOutcome LoadHandsetSettings(const std::string& path, const WorkArea& area, HandsetSettingsRecord* record);

bool SaveHandsetSettingsOnExit(const std::string& path, const HandsetSettingsRecord& record);

}  // namespace suite
