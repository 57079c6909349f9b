// A recording opened for playing or measuring: Ogg Vorbis through
// libvorbisfile over the file layer, else a 16-bit PCM WAV file. The
// extension plays no part in the choice.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/file_layer.h"

namespace suite {

// Linear PCM as the output device takes it.
struct AudioFormat {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t bytesPerSecond = 0;  // A
    uint16_t blockAlign = 0;
};

enum class SourceError {
    None,
    CannotOpen,  // "音声ファイルが選択されていません。", caption "再生エラー"
    NotAudio,    // "音声ファイルではありません"
    NotPcm,      // "PCM形式のWAVEファイルを指定して下さい"
    Stereo,      // "このアプリケーションはステレオのwaveファイルには対応していません。"
    Multichannel,  // more than two channels
};

// A length the file cannot hold (a damaged granule position): shown as
// unknown, never as a figure.
constexpr uint32_t kUnknownLength = 0xFFFFFFFF;

// Message text and caption of an error (empty for None).
const char* SourceErrorText(SourceError e);
const char* SourceErrorCaption(SourceError e);

class RecordingSource {
public:
    RecordingSource();
    ~RecordingSource();
    RecordingSource(const RecordingSource&) = delete;
    RecordingSource& operator=(const RecordingSource&) = delete;

    // Opens path; on failure *error tells which message belongs to it.
    bool Open(const std::string& path, SourceError* error);

    const AudioFormat& format() const { return format_; }
    uint64_t dataBytes() const { return dataBytes_; }  // N
    uint32_t lengthMs() const { return lengthMs_; }    // Ms
    // Whole seconds, or kUnknownLength (Ms is 0 then; N of an Ogg Vorbis
    // source too: it plays, without seeking).
    uint32_t seconds() const { return seconds_; }
    // False for an Ogg Vorbis source whose length is not positive.
    bool playable() const { return playable_; }

    // Positions the next read at data byte position (even).
    bool Seek(uint64_t position);
    // Reads up to n bytes of samples; fewer only at the end of the data
    // (or when the file shrank or the decoder keeps failing). An Ogg Vorbis
    // source reads nothing until a Seek has succeeded.
    size_t Read(uint8_t* buffer, size_t n);
    // True when a WAV source has given all its data (an Ogg Vorbis source
    // tells only by a short read).
    bool AtEnd() const { return wav_ && wavPosition_ >= dataBytes_; }

private:
    struct Ogg;
    bool OpenOgg(const std::string& path);
    bool OpenWav(const std::string& path, SourceError* error);

    std::unique_ptr<Ogg> ogg_;
    std::unique_ptr<File> wav_;
    AudioFormat format_;
    uint64_t dataBytes_ = 0;
    uint32_t lengthMs_ = 0;
    uint32_t seconds_ = 0;
    uint64_t wavPosition_ = 0;
    bool playable_ = false;
};

// Length of a recording in whole seconds; 0 on any failure, kUnknownLength
// for an impossible length; no message.
uint32_t LengthQuery(const std::string& path);

}  // namespace suite
