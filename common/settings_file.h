// Loading and writing fixed-size settings images; shared by the line and the
// handset recorder's records, which differ only in size and layout.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace suite {

// "マニュアル 兼 作業フォルダー\setting（編集厳禁）.ini", relative to the program's folder.
extern const char kSettingsFilePath[];
extern const char kWorkFolderName[];  // "マニュアル 兼 作業フォルダー"

// Desktop work area (screen minus task bar) the defaults are made from.
struct WorkArea {
    int left, top, right, bottom;
};

enum class LoadOutcome {
    Unopenable,  // the file could not be opened: the image stays all zero
    Empty,       // 0 bytes (an interrupted write, a full disk): made anew as shipped
    OneByte,     // 1 byte: the request for defaults
    Read,        // 2 bytes and more: the image holds what was read
};

// Opens the file, reads at most imageSize bytes into image after zeroing it.
// A missing file is first created as the shipped one (one zero byte), so the
// outcome is OneByte; an empty file is made the shipped one too, the outcome
// Empty, so the caller can say why the settings start anew. *fileSize gets
// the size on disk as found.
LoadOutcome LoadSettingsImage(const std::string& path, uint8_t* image, size_t imageSize,
                              uint64_t* fileSize = nullptr);

// Writes bytes [offset, offset + length) of image at the same offset of the
// existing file; never creates or truncates it.
bool WriteSettingsBytes(const std::string& path, const uint8_t* image, size_t offset, size_t length);

// Writes the whole image over the existing file, dropping any longer tail.
bool WriteWholeSettingsImage(const std::string& path, const uint8_t* image, size_t imageSize);

}  // namespace suite
