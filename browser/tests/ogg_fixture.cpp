#include "browser/tests/ogg_fixture.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>

#include "common/byte_io.h"

namespace browser_test {

namespace {

void Append(std::vector<uint8_t>* out, const ogg_page& page) {
    out->insert(out->end(), page.header, page.header + page.header_len);
    out->insert(out->end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> EncodeOgg(const std::vector<int16_t>& samples, int rate, int channels) {
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.3f) != 0) std::abort();
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page)) Append(&out, page);

    const size_t frames = samples.size() / static_cast<size_t>(channels);
    for (size_t at = 0;; at += 1024) {
        const size_t n = at < frames ? std::min<size_t>(1024, frames - at) : 0;
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(at + i) * static_cast<size_t>(channels) + static_cast<size_t>(c)] / 32768.f;
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page)) Append(&out, page);
            }
        }
        if (n == 0) break;
    }
    while (ogg_stream_flush(&os, &page)) Append(&out, page);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

std::vector<size_t> OggPages(const std::vector<uint8_t>& file) {
    std::vector<size_t> pages;
    for (size_t at = 0; at + 27 <= file.size() && std::equal(file.begin() + static_cast<long>(at),
                                                             file.begin() + static_cast<long>(at) + 4, "OggS");) {
        pages.push_back(at);
        const size_t segments = file[at + 26];
        size_t body = 0;
        for (size_t i = 0; i < segments && at + 27 + i < file.size(); ++i) body += file[at + 27 + i];
        at += 27 + segments + body;
    }
    return pages;
}

void FixOggChecksums(std::vector<uint8_t>* file) {
    for (size_t at : OggPages(*file)) {
        const long header = 27 + (*file)[at + 26];
        long body = 0;
        for (long i = 27; i < header; ++i) body += (*file)[at + static_cast<size_t>(i)];
        if (at + static_cast<size_t>(header + body) > file->size()) break;
        ogg_page page{file->data() + at, header, file->data() + at + header, body};
        ogg_page_checksum_set(&page);
    }
}

std::vector<uint8_t> MakeWav(const WavFields& f, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out(44 + data.size());
    suite::ByteWriter w(out.data(), out.size());
    w.Bytes(0, "RIFF", 4);
    w.U32LE(4, static_cast<uint32_t>(36 + data.size()));
    w.Bytes(8, "WAVEfmt ", 8);
    w.U32LE(16, 16);
    w.U16LE(20, f.formatTag);
    w.U16LE(22, f.channels);
    w.U32LE(24, f.rate);
    w.U32LE(28, f.bytesPerSecond);
    w.U16LE(32, f.blockAlign);
    w.U16LE(34, f.bits);
    w.Bytes(36, "data", 4);
    w.U32LE(40, static_cast<uint32_t>(data.size()));
    std::copy(data.begin(), data.end(), out.begin() + 44);
    return out;
}

std::vector<int16_t> Tone(size_t n, int peak) {
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<int16_t>(std::lround(peak * std::sin(2 * M_PI * 1000.0 * static_cast<double>(i) / 8000.0)));
    return s;
}

std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> b;
    for (int16_t s : samples) {
        b.push_back(static_cast<uint8_t>(s & 0xFF));
        b.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    return b;
}

}  // namespace browser_test
