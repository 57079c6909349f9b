#include "common/settings_file.h"

#include <cstring>

#include "common/file_layer.h"

namespace suite {

const char kSettingsFilePath[] = "マニュアル 兼 作業フォルダー\\setting（編集厳禁）.ini";
const char kWorkFolderName[] = "マニュアル 兼 作業フォルダー";

LoadOutcome LoadSettingsImage(const std::string& path, uint8_t* image, size_t imageSize, uint64_t* fileSize) {
    std::memset(image, 0, imageSize);
    if (fileSize) *fileSize = 0;
    if (!PathExists(path)) {
        // Deleting the file is how users reset their settings: it comes back
        // as the shipped one-byte file, which asks for the defaults.
        File shipped;
        const uint8_t oneByte = 0;
        if (shipped.Open(path, File::Mode::CreateAlways)) shipped.WriteAt(0, &oneByte, 1);
    }
    File file;
    uint64_t size = 0;
    if (!file.Open(path, File::Mode::ReadCreate) || !file.Size(&size)) return LoadOutcome::Unopenable;
    if (fileSize) *fileSize = size;
    if (size == 0) {
        // No settings at all: as if deleted, the request for the defaults.
        const uint8_t oneByte = 0;
        file.WriteAt(0, &oneByte, 1);
        return LoadOutcome::Empty;
    }
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

}  // namespace suite
