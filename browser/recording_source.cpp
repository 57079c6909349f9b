#include "browser/recording_source.h"

#include <algorithm>
#include <cstring>

#include "common/byte_io.h"
#include "common/file_layer.h"
#include "common/vorbis_file_layer.h"
#include "common/wav_header.h"

namespace suite {

namespace {

// Consecutive failed decoder calls after which the data counts as ended.
constexpr int kMaxDecodeFailures = 64;
// The widest format a recording can have: beyond it the header lies.
constexpr uint32_t kMaxRate = 192000;
constexpr uint16_t kMaxChannels = 2;
// Lengths from here on do not fit the player's milliseconds.
constexpr double kMaxKnownSeconds = 4294967.0;

}  // namespace

struct RecordingSource::Ogg {
    VorbisFileSource file;
    OggVorbis_File vf;
    bool open = false;
    // libvorbis accepts setup headers it cannot decode (a division by zero
    // inside ov_read); such streams fail the seek, so nothing is decoded
    // before one has succeeded.
    bool positioned = false;
    ~Ogg() {
        if (open) ov_clear(&vf);
    }
};

const char* SourceErrorText(SourceError e) {
    switch (e) {
        case SourceError::CannotOpen: return "音声ファイルが選択されていません。";
        case SourceError::NotAudio: return "音声ファイルではありません";
        case SourceError::NotPcm: return "PCM形式のWAVEファイルを指定して下さい";
        case SourceError::Stereo: return "このアプリケーションはステレオのwaveファイルには対応していません。";
        case SourceError::Multichannel: return "このアプリケーションは3チャンネル以上のwaveファイルには対応していません。";
        case SourceError::None: break;
    }
    return "";
}

const char* SourceErrorCaption(SourceError e) { return e == SourceError::CannotOpen ? "再生エラー" : ""; }

RecordingSource::RecordingSource() = default;
RecordingSource::~RecordingSource() = default;

bool RecordingSource::Open(const std::string& path, SourceError* error) {
    *error = SourceError::None;
    ogg_.reset();
    wav_.reset();
    if (OpenOgg(path)) return true;
    return OpenWav(path, error);
}

bool RecordingSource::OpenOgg(const std::string& path) {
    auto ogg = std::make_unique<Ogg>();
    if (!OpenVorbisFile(path, &ogg->file, &ogg->vf)) return false;
    ogg->open = true;
    vorbis_info* info = ov_info(&ogg->vf, -1);
    // Bounded as WAV: the play buffers are sized from the rate.
    if (!info || info->channels != 1 || info->rate <= 0 || info->rate > static_cast<long>(kMaxRate)) return false;
    double total = ov_time_total(&ogg->vf, -1);
    // A negative total is the library's error: nothing to play.
    playable_ = total > 0;
    format_.channels = 1;
    format_.rate = static_cast<uint32_t>(info->rate);
    format_.bytesPerSecond = 2 * format_.rate;
    format_.blockAlign = 2;
    // Every packet takes a byte at least and gives at most half a long
    // block: the longest the file's size allows.
    const int longBlock = vorbis_info_blocksize(info, 1);
    const double longest = static_cast<double>(ogg->file.size) * (longBlock > 0 ? longBlock / 2 : 4096) /
                           static_cast<double>(format_.rate);
    if (playable_ && total <= longest && total < kMaxKnownSeconds) {
        seconds_ = static_cast<uint32_t>(total);
        lengthMs_ = static_cast<uint32_t>(total * 1000);
        dataBytes_ = static_cast<uint64_t>(format_.rate) * seconds_ * 2;
    } else {
        // Unknown (or nothing to play): no N nor Ms for the arithmetic.
        seconds_ = playable_ ? kUnknownLength : 0;
        lengthMs_ = 0;
        dataBytes_ = 0;
    }
    ogg_ = std::move(ogg);
    return true;
}

bool RecordingSource::OpenWav(const std::string& path, SourceError* error) {
    auto file = std::make_unique<File>();
    uint64_t size = 0;
    if (!file->Open(path, File::Mode::ReadExisting, File::Sharing::Playback) || !file->Size(&size)) {
        *error = SourceError::CannotOpen;
        return false;
    }
    uint8_t header[kWavHeaderSize] = {};
    *error = SourceError::NotAudio;
    if (size < kWavHeaderSize || file->ReadAt(0, header, sizeof header) != sizeof header) return false;
    ByteReader r(header, sizeof header);
    if (!r.Matches(8, "WAVE", 4)) return false;
    if (r.U16LE(20) != 1) {
        *error = SourceError::NotPcm;
        return false;
    }
    const uint16_t channels = r.U16LE(22);
    if (channels != 1) {
        *error = channels == 2 ? SourceError::Stereo : channels > 2 ? SourceError::Multichannel : SourceError::NotAudio;
        return false;
    }
    AudioFormat f;
    f.channels = channels;
    f.rate = r.U32LE(24);
    f.bytesPerSecond = r.U32LE(28);
    f.blockAlign = r.U16LE(32);
    // The block size follows from the header: refuse anything but a
    // consistent 16-bit format before a buffer is sized by it.
    if (r.U16LE(34) != 16 || f.rate == 0 || f.rate > kMaxRate || channels > kMaxChannels ||
        f.blockAlign != 2 * channels || f.bytesPerSecond != f.rate * f.blockAlign)
        return false;
    *error = SourceError::None;
    format_ = f;
    dataBytes_ = size - kWavHeaderSize;
    const uint64_t seconds = dataBytes_ / f.bytesPerSecond;
    seconds_ = seconds < kMaxKnownSeconds ? static_cast<uint32_t>(seconds) : kUnknownLength;
    lengthMs_ = seconds_ == kUnknownLength ? 0 : seconds_ * 1000;
    wavPosition_ = 0;
    playable_ = true;
    wav_ = std::move(file);
    return true;
}

bool RecordingSource::Seek(uint64_t position) {
    position &= ~static_cast<uint64_t>(1);
    if (ogg_) {
        ogg_int64_t sample = static_cast<ogg_int64_t>((position / 2) & ~static_cast<uint64_t>(1));
        ogg_->positioned = ov_pcm_seek(&ogg_->vf, sample) == 0;
        return ogg_->positioned;
    }
    if (!wav_) return false;
    wavPosition_ = position;
    return true;
}

size_t RecordingSource::Read(uint8_t* buffer, size_t n) {
    if (wav_) {
        // The data ends at N even if the file grew; a file that shrank ends
        // where its bytes end.
        uint64_t left = wavPosition_ < dataBytes_ ? dataBytes_ - wavPosition_ : 0;
        size_t want = static_cast<size_t>(std::min<uint64_t>(n, left));
        size_t got = wav_->ReadAt(kWavHeaderSize + wavPosition_, buffer, want);
        wavPosition_ += got;
        return got;
    }
    if (!ogg_ || !ogg_->positioned) return 0;
    size_t fill = 0;
    int failures = 0;
    while (fill < n) {
        int section = 0;
        int want = static_cast<int>(std::min<size_t>(n - fill, 4096));
        long got = ov_read(&ogg_->vf, reinterpret_cast<char*>(buffer + fill), want, 0, 2, 1, &section);
        if (got < 0) {
            // A hole in the data: go on, but not forever.
            if (++failures >= kMaxDecodeFailures) break;
            continue;
        }
        if (got == 0) break;
        failures = 0;
        fill += static_cast<size_t>(got);
    }
    return fill;
}

uint32_t LengthQuery(const std::string& path) {
    RecordingSource source;
    SourceError error;
    return source.Open(path, &error) ? source.seconds() : 0;
}

}  // namespace suite
