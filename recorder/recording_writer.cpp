#include "recorder/recording_writer.h"

#include <vorbis/vorbisenc.h>

#include <climits>
#include <cstdlib>

#include "common/byte_io.h"

namespace suite {

const char kEmergencyFolder[] = "非常用フォルダー\\";
const char kTempRecordingPath[] = "非常用フォルダー\\TMP.tmp";

namespace {

constexpr size_t kPieceSamples = 1024;  // samples handed to the encoder at a time
// Largest data chunk whose RIFF size (data + 36) still fits in 32 bits.
constexpr uint64_t kMaxWavData = 0xFFFFFFFFull - 36;

}  // namespace

float OggQuality(uint8_t recordingFormat) {
    switch (recordingFormat) {
        case 1: return 0.5f;
        case 3: return 0.0f;
        default: return 0.3f;
    }
}

struct RecordingWriter::OggEncoder {
    vorbis_info vi;
    vorbis_comment vc;
    vorbis_dsp_state vd;
    vorbis_block vb;
    ogg_stream_state os;
    ogg_page og;
    ogg_packet op;
    bool eos = false;
};

RecordingWriter::RecordingWriter(const Clock& clock) : clock_(clock) {}

RecordingWriter::~RecordingWriter() {
    ReleaseEncoder();
    file_.Close();
}

bool RecordingWriter::Open(uint8_t recordingFormat) {
    ReleaseEncoder();
    file_.Close();
    open_ = true;
    wav_ = recordingFormat == 0;
    write_failed_ = false;
    recorded_bytes_.store(kNoRecording);

    // A missing emergency folder would lose every recording.
    if (!IsFolder(kEmergencyFolder)) CreateFolderPath(kEmergencyFolder);
    // No second process may write the recording in progress.
    if (!file_.Open(kTempRecordingPath, File::Mode::CreateAlways, File::Sharing::WritersExcluded)) return false;
    offset_ = 0;

    if (wav_) {
        // A provisional header takes the header's room now, so the final one
        // never needs new disk space, and a crash leaves a recognisable file.
        uint8_t header[kWavHeaderSize];
        BuildWavHeader(0, header);
        if (!file_.WriteAt(0, header, sizeof header)) write_failed_ = true;
        offset_ = kWavHeaderSize;
        return true;
    }
    if (!OpenOgg(OggQuality(recordingFormat))) {
        file_.Close();
        DeleteFilePath(kTempRecordingPath);
        return false;
    }
    return true;
}

bool RecordingWriter::OpenOgg(float quality) {
    auto enc = std::make_unique<OggEncoder>();
    vorbis_info_init(&enc->vi);
    if (vorbis_encode_init_vbr(&enc->vi, 1, 8000, quality) != 0) {
        vorbis_info_clear(&enc->vi);
        return false;
    }
    vorbis_comment_init(&enc->vc);
    vorbis_comment_add_tag(&enc->vc, "ENCODER", "encoder_example.c");
    vorbis_analysis_init(&enc->vd, &enc->vi);
    vorbis_block_init(&enc->vd, &enc->vb);

    // The C generator seeded with the time in seconds, taken to 0..32767
    // whatever the library's RAND_MAX.
    std::srand(static_cast<unsigned>(clock_.Seconds()));
    serial_ = std::rand() % 32768;
    ogg_stream_init(&enc->os, serial_);

    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&enc->vd, &enc->vc, &header, &comment, &code);
    ogg_stream_packetin(&enc->os, &header);
    ogg_stream_packetin(&enc->os, &comment);
    ogg_stream_packetin(&enc->os, &code);
    ogg_ = std::move(enc);
    // Audio starts on a fresh page.
    while (ogg_stream_flush(&ogg_->os, &ogg_->og) != 0) {
        WritePage(ogg_->og.header, ogg_->og.header_len, ogg_->og.body, ogg_->og.body_len);
    }
    return true;
}

void RecordingWriter::Append(const int16_t* samples, size_t count) {
    if (!open_) return;
    // Saturates instead of wrapping: a manual recording may run for days.
    int32_t bytes = recorded_bytes_.load();
    int64_t grown = static_cast<int64_t>(bytes) + 2 * static_cast<int64_t>(count);
    recorded_bytes_.store(grown > INT32_MAX ? INT32_MAX : static_cast<int32_t>(grown));
    if (!file_.IsOpen()) return;
    if (wav_) {
        WriteWavSamples(samples, count);
    } else if (ogg_) {
        EncodeBlock(samples, count);
    }
}

void RecordingWriter::WriteWavSamples(const int16_t* samples, size_t count) {
    uint64_t room = kWavHeaderSize + kMaxWavData - offset_;
    size_t n = count * 2 > room ? static_cast<size_t>(room / 2) : count;
    if (n == 0) return;
    uint8_t bytes[2 * kPieceSamples];
    for (size_t done = 0; done < n;) {
        size_t piece = n - done < kPieceSamples ? n - done : kPieceSamples;
        ByteWriter w(bytes, sizeof bytes);
        for (size_t i = 0; i < piece; ++i) w.U16LE(2 * i, static_cast<uint16_t>(samples[done + i]));
        if (file_.WriteAt(offset_, bytes, 2 * piece)) {
            offset_ += 2 * piece;
        } else {
            // Part may have been written: go on after what the file holds,
            // on a whole sample, so the header can describe every byte of it.
            write_failed_ = true;
            uint64_t size = 0;
            if (file_.Size(&size) && size > kWavHeaderSize) {
                offset_ = kWavHeaderSize + ((size - kWavHeaderSize) & ~uint64_t{1});
            }
        }
        done += piece;
    }
}

void RecordingWriter::EncodeBlock(const int16_t* samples, size_t count) {
    ogg_->eos = false;
    for (size_t done = 0; done < count;) {
        size_t piece = count - done < kPieceSamples ? count - done : kPieceSamples;
        float** buffer = vorbis_analysis_buffer(&ogg_->vd, static_cast<int>(kPieceSamples));
        for (size_t i = 0; i < piece; ++i) buffer[0][i] = samples[done + i] / 32768.f;
        vorbis_analysis_wrote(&ogg_->vd, static_cast<int>(piece));
        Drain();
        done += piece;
    }
}

void RecordingWriter::Drain() {
    OggEncoder& e = *ogg_;
    while (vorbis_analysis_blockout(&e.vd, &e.vb) == 1) {
        vorbis_analysis(&e.vb, nullptr);
        vorbis_bitrate_addblock(&e.vb);
        while (vorbis_bitrate_flushpacket(&e.vd, &e.op)) {
            ogg_stream_packetin(&e.os, &e.op);
            while (!e.eos && ogg_stream_pageout(&e.os, &e.og) != 0) {
                WritePage(e.og.header, e.og.header_len, e.og.body, e.og.body_len);
                if (ogg_page_eos(&e.og)) e.eos = true;
            }
        }
    }
}

void RecordingWriter::EndOggStream() {
    OggEncoder& e = *ogg_;
    e.eos = false;
    // libvorbis ends the stream on the first round; the bound only guards
    // against a library that never does.
    for (int round = 0; !e.eos && round < 4; ++round) {
        vorbis_analysis_wrote(&e.vd, 0);
        Drain();
    }
    while (!e.eos && ogg_stream_flush(&e.os, &e.og) != 0) {
        WritePage(e.og.header, e.og.header_len, e.og.body, e.og.body_len);
    }
}

void RecordingWriter::ReleaseEncoder() {
    if (!ogg_) return;
    ogg_stream_clear(&ogg_->os);
    vorbis_block_clear(&ogg_->vb);
    vorbis_dsp_clear(&ogg_->vd);
    vorbis_comment_clear(&ogg_->vc);
    vorbis_info_clear(&ogg_->vi);
    ogg_.reset();
}

void RecordingWriter::WritePage(const unsigned char* header, long headerLen, const unsigned char* body,
                                long bodyLen) {
    // A page that fails is written over by the next one: a reader skips a
    // missing page, but not a torn one in the middle of the stream.
    uint64_t start = offset_;
    if (file_.WriteAt(offset_, header, static_cast<size_t>(headerLen))) {
        offset_ += static_cast<uint64_t>(headerLen);
        if (file_.WriteAt(offset_, body, static_cast<size_t>(bodyLen))) {
            offset_ += static_cast<uint64_t>(bodyLen);
            return;
        }
    }
    write_failed_ = true;
    offset_ = start;
}

bool RecordingWriter::Finish() {
    if (!open_) return false;
    open_ = false;
    if (!file_.IsOpen()) return false;
    if (wav_) {
        uint8_t header[kWavHeaderSize];
        BuildWavHeader(static_cast<uint32_t>(offset_ - kWavHeaderSize), header);
        if (!file_.WriteAt(0, header, sizeof header)) write_failed_ = true;
    } else if (ogg_) {
        EndOggStream();
        ReleaseEncoder();
    }
    file_.Close();
    return true;
}

void RecordingWriter::Abort() {
    bool hadFile = open_ && file_.IsOpen();
    open_ = false;
    ReleaseEncoder();
    file_.Close();
    if (hadFile) DeleteFilePath(kTempRecordingPath);
    recorded_bytes_.store(kNoRecording);
}

}  // namespace suite
