#include "settings_file.h"

#include <cstring>

#include "file_layer.h"

namespace suite {

const char kSettingsFilePath[] = "マニュアル 兼 作業フォルダー\\setting（編集厳禁）.ini";
const char kWorkFolderName[] = "マニュアル 兼 作業フォルダー";

LoadOutcome LoadSettingsImage(const std::string& path, uint8_t* image, size_t imageSize, uint64_t* fileSize) {
    std::memset(image, 0, imageSize);
    if (fileSize) *fileSize = 0;
    File file;
    uint64_t size = 0;
    if (!file.Open(path, File::Mode::ReadCreate) || !file.Size(&size)) return LoadOutcome::Unopenable;
    if (fileSize) *fileSize = size;
    if (size == 0) return LoadOutcome::Empty;
    size_t want = size < imageSize ? static_cast<size_t>(size) : imageSize;
    file.ReadAt(0, image, want);
    return size == 1 ? LoadOutcome::OneByte : LoadOutcome::Read;
}

bool WriteSettingsBytes(const std::string& path, const uint8_t* image, size_t offset, size_t length) {
    File file;
    if (!file.Open(path, File::Mode::WriteExisting)) return false;
    return file.WriteAt(offset, image + offset, length);
}

bool WriteWholeSettingsImage(const std::string& path, const uint8_t* image, size_t imageSize) {
    File file;
    if (!file.Open(path, File::Mode::TruncateExisting)) return false;
    return file.WriteAt(0, image, imageSize);
}

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void WriteU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace suite
