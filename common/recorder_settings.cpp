#include "common/recorder_settings.h"

#include <cstring>

#include "common/byte_io.h"
#include "common/sjis_text.h"

namespace suite {

const char kDefaultRecordFolder[] = "通話記録\\";

std::string ChosenRecordFolder(const std::string& chosenSlot) {
    return chosenSlot.empty() ? std::string(kDefaultRecordFolder) : chosenSlot;
}

std::string RecorderSettings::ChosenFolder() const {
    size_t choice = bytes_[kFolderChoice] < kFolderSlots ? bytes_[kFolderChoice] : 0;
    return ChosenRecordFolder(GetText(FolderSlotOffset(choice), kFolderSlotSize));
}

uint32_t RecorderSettings::auto_start_level() const { return ByteReader(bytes_, size_).U32LE(kAutoStartLevel); }

void RecorderSettings::set_auto_start_level(uint32_t v) { ByteWriter(bytes_, size_).U32LE(kAutoStartLevel, v); }

std::string RecorderSettings::GetText(size_t offset, size_t size) const {
    if (offset >= size_) return std::string();
    if (size > size_ - offset) size = size_ - offset;
    return SjisFromSlot(reinterpret_cast<const char*>(bytes_ + offset), size);
}

void RecorderSettings::SetText(size_t offset, size_t size, const std::string& text) {
    if (offset >= size_) return;
    if (size > size_ - offset) size = size_ - offset;
    SjisCopy(reinterpret_cast<char*>(bytes_ + offset), size, text);
}

void RecorderSettings::MakeSharedDefaults() {
    std::memset(bytes_, 0, size_);
    set_auto_start_level(10);
    start_state() = 1;
    warning_volume() = 3;
    recording_format() = 2;
    browser_sort() = 1;
    show_connection_screen() = 1;
    SetText(kFileNameFormat, kPathSize, "dd日xx時xx分xx秒");
}

bool SaveRecorderSettingsOnExit(const std::string& path, const RecorderSettings& record) {
    return WriteSettingsBytes(path, record.data(), 0, RecorderSettings::kExitWriteSize);
}

}  // namespace suite
