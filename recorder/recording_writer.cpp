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
    writeFailed_ = false;
    recordedBytes_.store(kNoRecording);
    headersEnd_ = 0;
    lastPage_.clear();
    lastPageHeaderLen_ = 0;
    lastPageAt_ = 0;

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
        if (!file_.WriteAt(0, header, sizeof header)) {
            writeFailed_ = true;  // offset_ stays 0: Finish deletes the file
            return true;
        }
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
    headersEnd_ = offset_;
    return true;
}

void RecordingWriter::Append(const int16_t* samples, size_t count) {
    if (!open_) return;
    // Saturates instead of wrapping: a manual recording may run for days.
    int32_t bytes = recordedBytes_.load();
    int64_t grown = static_cast<int64_t>(bytes) + 2 * static_cast<int64_t>(count);
    recordedBytes_.store(grown > INT32_MAX ? INT32_MAX : static_cast<int32_t>(grown));
    // After a failed write nothing more goes into this recording.
    if (!file_.IsOpen() || writeFailed_) return;
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
        if (!file_.WriteAt(offset_, bytes, 2 * piece)) {
            // Part may have been written: keep every whole sample of it.
            writeFailed_ = true;
            uint64_t size = 0;
            if (file_.Size(&size) && size > offset_) offset_ += (size - offset_) & ~uint64_t{1};
            return;
        }
        offset_ += 2 * piece;
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
    if (writeFailed_) return;
    const size_t h = static_cast<size_t>(headerLen), b = static_cast<size_t>(bodyLen);
    if (!file_.WriteAt(offset_, header, h) || !file_.WriteAt(offset_ + h, body, b)) {
        // A torn page ends the recording's writing; Finish cuts it off.
        writeFailed_ = true;
        return;
    }
    ogg_page page = {};
    page.header = const_cast<unsigned char*>(header);
    page.header_len = headerLen;
    if (ogg_page_granulepos(&page) != -1) {
        lastPage_.assign(header, header + h);
        lastPage_.insert(lastPage_.end(), body, body + b);
        lastPageHeaderLen_ = h;
        lastPageAt_ = offset_;
    }
    offset_ += h + b;
}

bool RecordingWriter::SealWav() {
    // The provisional header never reached the disk: no file to keep.
    if (offset_ < kWavHeaderSize) return false;
    uint64_t size = 0;
    if (file_.Size(&size) && size > offset_) file_.Truncate(offset_);
    return true;
}

bool RecordingWriter::SealOgg() {
    // No page of sound was written whole: nothing to keep.
    if (lastPage_.empty() || lastPageAt_ < headersEnd_) return false;
    const uint64_t end = lastPageAt_ + lastPage_.size();
    if (!file_.Truncate(end)) return false;
    // The last page kept becomes the end of the stream, in its own bytes, so
    // the disk needs no more room.
    ogg_page page = {};
    page.header = lastPage_.data();
    page.header_len = static_cast<long>(lastPageHeaderLen_);
    page.body = lastPage_.data() + lastPageHeaderLen_;
    page.body_len = static_cast<long>(lastPage_.size() - lastPageHeaderLen_);
    page.header[5] |= 0x04;
    ogg_page_checksum_set(&page);
    return file_.WriteAt(lastPageAt_, page.header, lastPageHeaderLen_);
}

bool RecordingWriter::Finish() {
    if (!open_) return false;
    open_ = false;
    if (!file_.IsOpen()) return false;
    bool keep = true;
    if (wav_) {
        if (writeFailed_) keep = SealWav();
        if (keep) {
            // The header's room is taken already: rewriting it needs no new space.
            uint8_t header[kWavHeaderSize];
            BuildWavHeader(static_cast<uint32_t>(offset_ - kWavHeaderSize), header);
            if (!file_.WriteAt(0, header, sizeof header)) writeFailed_ = true;
        }
    } else if (ogg_) {
        if (writeFailed_) {
            keep = SealOgg();
        } else {
            EndOggStream();
            // The end of the stream may itself find the disk full.
            if (writeFailed_) keep = SealOgg();
        }
        ReleaseEncoder();
    }
    file_.Close();
    if (!keep) DeleteFilePath(kTempRecordingPath);
    return keep;
}

void RecordingWriter::Abort() {
    bool hadFile = open_ && file_.IsOpen();
    open_ = false;
    ReleaseEncoder();
    file_.Close();
    if (hadFile) DeleteFilePath(kTempRecordingPath);
    recordedBytes_.store(kNoRecording);
}

}  // namespace suite
