// What the two recorders' settings images share: bytes 0..692 (the part
// written back at exit) are laid out alike, and so are the record folder and
// the file name format. RecorderSettings is a view of those fields over an
// image; RecorderSettingsImage<Size> owns the bytes of one record. The main
// window, the input device and the browser take the view, so one code serves
// both recorders.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/settings_file.h"
#include "common/sjis_text.h"

namespace suite {

class RecorderSettings {
public:
    static constexpr size_t kExitWriteSize = 693;  // bytes 0..692 written at exit
    static constexpr size_t kFolderSlots = 5;
    static constexpr size_t kFolderSlotSize = 262;
    static constexpr size_t kPathSize = 260;
    static constexpr size_t kRecordingPathSize = 300;
    static constexpr size_t kDeviceNameSize = 33;

    // Offsets both layouts share.
    enum SharedOffset : size_t {
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
    };

    RecorderSettings(const RecorderSettings&) = delete;
    RecorderSettings& operator=(const RecorderSettings&) = delete;

    uint8_t* data() { return bytes_; }
    const uint8_t* data() const { return bytes_; }
    size_t size() const { return size_; }

    uint32_t auto_start_level() const;
    void set_auto_start_level(uint32_t v);

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

    // The text fields, each a slot bounded by its size and the image.
    // Position texts, i: 0 x, 1 y, 2 width, 3 height; each a 5-byte slot.
    TextSlot editor_window_text(int i) { return PositionSlot(kEditorWindowText, i); }
    ConstTextSlot editor_window_text(int i) const { return PositionSlot(kEditorWindowText, i); }
    TextSlot main_window_text(int i) { return PositionSlot(kMainWindowText, i); }
    ConstTextSlot main_window_text(int i) const { return PositionSlot(kMainWindowText, i); }
    TextSlot browser_window_text(int i) { return PositionSlot(kBrowserWindowText, i); }
    ConstTextSlot browser_window_text(int i) const { return PositionSlot(kBrowserWindowText, i); }

    TextSlot recording_path() { return Slot(kRecordingPath, kRecordingPathSize); }
    ConstTextSlot recording_path() const { return Slot(kRecordingPath, kRecordingPathSize); }
    TextSlot input_device_name() { return Slot(kInputDeviceName, kDeviceNameSize); }
    ConstTextSlot input_device_name() const { return Slot(kInputDeviceName, kDeviceNameSize); }
    TextSlot record_folder() { return Slot(kRecordFolder, kPathSize); }
    ConstTextSlot record_folder() const { return Slot(kRecordFolder, kPathSize); }
    TextSlot file_name_format() { return Slot(kFileNameFormat, kPathSize); }
    ConstTextSlot file_name_format() const { return Slot(kFileNameFormat, kPathSize); }
    // These two sit where each record's layout puts them; a folder_list slot
    // past the fifth is empty.
    TextSlot folder_name_format() { return Slot(folderNameFormat_, kPathSize); }
    ConstTextSlot folder_name_format() const { return Slot(folderNameFormat_, kPathSize); }
    TextSlot folder_list(size_t slot) {
        return slot < kFolderSlots ? Slot(FolderSlotOffset(slot), kFolderSlotSize) : TextSlot();
    }
    ConstTextSlot folder_list(size_t slot) const {
        return slot < kFolderSlots ? Slot(FolderSlotOffset(slot), kFolderSlotSize) : ConstTextSlot();
    }
    // folder_list[folder_choice] as the recorder files calls in (slot 0 for a
    // damaged choice, the default folder for an empty slot).
    std::string ChosenFolder() const;

protected:
    RecorderSettings(uint8_t* bytes, size_t size, size_t folderNameFormat, size_t folderList)
        : bytes_(bytes), size_(size), folderNameFormat_(folderNameFormat), folderList_(folderList) {}
    // The slot of size bytes at offset, cut to the image.
    TextSlot Slot(size_t offset, size_t size);
    ConstTextSlot Slot(size_t offset, size_t size) const;
    // All zero, then the defaults both recorders give the shared fields
    // (window positions are each recorder's own).
    void MakeSharedDefaults();

private:
    size_t FolderSlotOffset(size_t slot) const { return folderList_ + kFolderSlotSize * slot; }
    TextSlot PositionSlot(size_t first, int i) { return i >= 0 && i < 4 ? Slot(first + 5 * i, 5) : TextSlot(); }
    ConstTextSlot PositionSlot(size_t first, int i) const {
        return i >= 0 && i < 4 ? Slot(first + 5 * i, 5) : ConstTextSlot();
    }

    uint8_t* bytes_;
    size_t size_;
    size_t folderNameFormat_;  // offsets of the record's own layout
    size_t folderList_;
};

namespace detail {
template <size_t Size>
struct ImageBytes {
    uint8_t bytes[Size] = {};
};
}  // namespace detail

// A whole record of Size bytes, its folder name format and folder list at
// the given offsets, with the shared view over it. Copies copy the
// bytes; each copy's view looks at its own.
template <size_t Size, size_t FolderNameFormat, size_t FolderList>
class RecorderSettingsImage : private detail::ImageBytes<Size>, public RecorderSettings {
public:
    static constexpr size_t kSize = Size;
    static constexpr size_t kFolderNameFormat = FolderNameFormat;
    static constexpr size_t kFolderList = FolderList;

    RecorderSettingsImage()
        : RecorderSettings(detail::ImageBytes<Size>::bytes, Size, FolderNameFormat, FolderList) {}
    RecorderSettingsImage(const RecorderSettingsImage& other)
        : detail::ImageBytes<Size>(other),
          RecorderSettings(detail::ImageBytes<Size>::bytes, Size, FolderNameFormat, FolderList) {}
    RecorderSettingsImage& operator=(const RecorderSettingsImage& other) {
        detail::ImageBytes<Size>::operator=(other);
        return *this;
    }
};

// Start-up load of a recorder's record. OneByte and Empty (an empty file,
// treated as a deleted one): the defaults are made by makeDefaults and
// written over the file (the whole record); the outcome is kept so the
// caller can tell. Unopenable: an all-zero record.
template <class Record, class MakeDefaults>
LoadOutcome LoadRecorderSettings(const std::string& path, Record* record, MakeDefaults makeDefaults) {
    LoadOutcome outcome = LoadSettingsImage(path, record->data(), Record::kSize);
    if (outcome == LoadOutcome::OneByte || outcome == LoadOutcome::Empty) {
        makeDefaults(record);
        WriteWholeSettingsImage(path, record->data(), Record::kSize);
    }
    return outcome;
}

// "通話記録\": slot 0 of a new record's folder_list.
extern const char kDefaultRecordFolder[];

// The record folder of a start-up: the chosen folder_list slot, or
// "通話記録\" when that slot is empty (its folder was deleted in the
// editor), so calls are never filed in the program's own folder.
std::string ChosenRecordFolder(const std::string& chosenSlot);

// Writes one text field of record into its place in the file, the rest of
// the file untouched. False for a slot that is not the record's.
bool WriteSettingsSlot(const std::string& path, const RecorderSettings& record, ConstTextSlot slot);

// The write at a recorder's exit: bytes 0..692, the rest of the file untouched.
bool SaveRecorderSettingsOnExit(const std::string& path, const RecorderSettings& record);

}  // namespace suite
