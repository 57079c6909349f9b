#include "recorder/leftover_recovery.h"

#include <cstdint>
#include <cstdio>

#include "common/byte_io.h"
#include "common/file_layer.h"
#include "recorder/name_formatter.h"
#include "recorder/recording_writer.h"
#include "recorder/save_recording.h"
#include "common/text_convert.h"

namespace suite {

const char kRecoveredNameFormat[] = "中断された録音（yyyy年mm月dd日xx時xx分xx秒に発見）";
const char kRecoveredMessage[] = "前回、保存される前に終わった録音を次のファイルに移しました：\n";

namespace {

// Tells the format by the signature; a WAV file gets the header that
// describes every whole sample it holds (the writer fills in the real sizes
// only when a recording finishes).
bool Inspect(bool* isOgg) {
    File file;  // the caller made sure it exists, so nothing is created
    uint64_t size = 0;
    if (!file.Open(kTempRecordingPath, File::Mode::ReadCreate) || !file.Size(&size) || size == 0) return false;
    uint8_t signature[4] = {};
    size_t got = file.ReadAt(0, signature, sizeof signature);
    *isOgg = ByteReader(signature, got).Matches(0, "OggS", 4);
    if (*isOgg) return true;

    uint64_t data = size > kWavHeaderSize ? (size - kWavHeaderSize) & ~uint64_t{1} : 0;
    const uint64_t maxData = (0xFFFFFFFFull - 36) & ~uint64_t{1};
    if (data > maxData) data = maxData;
    uint8_t header[kWavHeaderSize];
    BuildWavHeader(static_cast<uint32_t>(data), header);
    // Moved even when the repair fails: the next recording would overwrite it.
    file.WriteAt(0, header, sizeof header);
    return true;
}

}  // namespace

bool RecoverLeftoverRecording(const Clock& clock, std::string* recoveredPath) {
    // A save to another disk that a kill interrupted: its partial copy goes,
    // and the temporary file, still whole, is rescued below.
    FinishInterruptedMove(kTempRecordingPath);
    if (!PathExists(kTempRecordingPath) || IsFolder(kTempRecordingPath)) return false;
    bool isOgg = false;
    if (!Inspect(&isOgg)) return false;
    int n = 0;
    std::string target = FreeRecordingPath(kEmergencyFolder, NameFormatter(kRecoveredNameFormat, clock),
                                           isOgg ? ".ogg" : ".wav", &n);
    if (!RenamePath(kTempRecordingPath, target)) return false;
    *recoveredPath = target;
    return true;
}

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace suite
