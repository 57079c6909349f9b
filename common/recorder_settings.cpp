#include "common/recorder_settings.h"

#include <cstring>

#include "common/byte_io.h"

namespace suite {

const char kDefaultRecordFolder[] = "通話記録\\";

std::string ChosenRecordFolder(const std::string& chosenSlot) {
    return chosenSlot.empty() ? std::string(kDefaultRecordFolder) : chosenSlot;
}

std::string RecorderSettings::ChosenFolder() const {
    size_t choice = bytes_[kFolderChoice] < kFolderSlots ? bytes_[kFolderChoice] : 0;
    return ChosenRecordFolder(folder_list(choice).Get());
}

uint32_t RecorderSettings::auto_start_level() const { return ByteReader(bytes_, size_).U32LE(kAutoStartLevel); }

void RecorderSettings::set_auto_start_level(uint32_t v) { ByteWriter(bytes_, size_).U32LE(kAutoStartLevel, v); }

TextSlot RecorderSettings::Slot(size_t offset, size_t size) {
    if (offset >= size_) return TextSlot();
    return TextSlot(bytes_ + offset, size < size_ - offset ? size : size_ - offset);
}

ConstTextSlot RecorderSettings::Slot(size_t offset, size_t size) const {
    if (offset >= size_) return ConstTextSlot();
    return ConstTextSlot(bytes_ + offset, size < size_ - offset ? size : size_ - offset);
}

void RecorderSettings::MakeSharedDefaults() {
    std::memset(bytes_, 0, size_);
    set_auto_start_level(10);
    start_state() = 1;
    warning_volume() = 3;
    recording_format() = 2;
    browser_sort() = 1;
    show_connection_screen() = 1;
    file_name_format().Set("dd日xx時xx分xx秒");
}

bool WriteSettingsSlot(const std::string& path, const RecorderSettings& record, ConstTextSlot slot) {
    const uint8_t* begin = record.data();
    const uint8_t* end = begin + record.size();
    if (slot.size() == 0 || slot.data() < begin || slot.data() >= end) return false;
    return WriteSettingsBytes(path, begin, static_cast<size_t>(slot.data() - begin), slot.size());
}

bool SaveRecorderSettingsOnExit(const std::string& path, const RecorderSettings& record) {
    return WriteSettingsBytes(path, record.data(), 0, RecorderSettings::kExitWriteSize);
}

}  // namespace suite
