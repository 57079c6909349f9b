// Writes one call at a time into "非常用フォルダー\TMP.tmp": a WAV file of raw
// 16-bit PCM, or an Ogg Vorbis stream, 8000 samples per second, mono.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "recorder/clock.h"
#include "common/file_layer.h"
#include "common/wav_header.h"
#include "linesignal/line_signal.h"  // kBlockSamples

namespace suite {

extern const char kEmergencyFolder[];  // "非常用フォルダー\"
extern const char kTempRecordingPath[];  // "非常用フォルダー\TMP.tmp"

// Vorbis quality of recording_format 1..3; other non-zero values get the
// middle quality (the default 2).
float OggQuality(uint8_t recordingFormat);

class RecordingWriter {
public:
    static constexpr int32_t kNoRecording = 44;  // RecordedBytes when nothing is open

    explicit RecordingWriter(const Clock& clock);
    ~RecordingWriter();  // releases an open recording, leaving its file for recovery
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // Starts a recording (recording_format: 0 WAV, else Ogg). Creates the
    // emergency folder when missing, then the temporary file, and for Ogg
    // writes the three stream headers. False when the file or the encoder
    // cannot be made: the recording still counts its blocks so the caller's
    // states run as usual, but nothing is written.
    bool Open(uint8_t recordingFormat);

    // Adds 2 * count to RecordedBytes, then writes (WAV) or encodes (Ogg) the
    // samples; count is kBlockSamples for a capture block. After a failed
    // write (a full disk) nothing more is written to this recording, but its
    // blocks are still counted; the next recording starts afresh.
    void Append(const int16_t* samples, size_t count);

    // Completes the file (WAV header, Ogg end of stream) and closes it.
    // After a failed write the file is cut back to what was written whole
    // (WAV: whole samples, Ogg: whole pages, the last one marked as the end
    // of the stream), so it plays to its end and tells its true length.
    // RecordedBytes stays until MarkClosed, so the recording counts as open
    // while it is being named. True when this recording's file exists (one
    // that holds no sound after a failed write is deleted).
    bool Finish();

    // Drops the recording: encoder released without ending the stream, file
    // closed and deleted, RecordedBytes back to 44.
    void Abort();

    // After the saving step: RecordedBytes back to 44.
    void MarkClosed() { recordedBytes_.store(kNoRecording); }

    // Bytes of the recording as a WAV file would hold them, header included;
    // read by the other thread.
    int32_t RecordedBytes() const { return recordedBytes_.load(); }
    bool IsOpen() const { return open_; }
    // Some write of the current or last recording failed (disk full).
    bool WriteFailed() const { return writeFailed_; }
    // Stream serial number of the current or last Ogg recording.
    int SerialNumber() const { return serial_; }

private:
    struct OggEncoder;

    bool OpenOgg(float quality);
    void EncodeBlock(const int16_t* samples, size_t count);
    void Drain();
    void EndOggStream();
    void ReleaseEncoder();
    void WritePage(const unsigned char* header, long headerLen, const unsigned char* body, long bodyLen);
    void WriteWavSamples(const int16_t* samples, size_t count);
    bool SealWav();
    bool SealOgg();

    const Clock& clock_;
    std::atomic<int32_t> recordedBytes_{kNoRecording};
    bool open_ = false;          // between Open and Finish/Abort
    bool wav_ = true;            // format of the open recording
    bool writeFailed_ = false;
    int serial_ = 0;
    File file_;
    uint64_t offset_ = 0;        // bytes: where the next write goes
    std::unique_ptr<OggEncoder> ogg_;
    uint64_t headersEnd_ = 0;    // Ogg: bytes of the stream header pages
    // Ogg: the last whole page that ends a packet (one with a granule
    // position), kept to be marked as the end of the stream after a failed
    // write, and where it lies in the file.
    std::vector<unsigned char> lastPage_;
    size_t lastPageHeaderLen_ = 0;
    uint64_t lastPageAt_ = 0;
};

}  // namespace suite
