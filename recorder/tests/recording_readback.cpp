#include "recorder/tests/recording_readback.h"

#include <ogg/ogg.h>
#include "common/vorbis_file_layer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/byte_io.h"
#include "common/file_layer.h"

namespace suite_test {

std::vector<OggPageInfo> ReadOggPages(const std::vector<uint8_t>& bytes) {
    std::vector<OggPageInfo> pages;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
    std::memcpy(buffer, bytes.data(), bytes.size());
    ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
    ogg_page page;
    while (true) {
        int rc = ogg_sync_pageout(&sync, &page);
        if (rc == 0) break;
        if (rc < 0) continue;  // skipped garbage
        int ended = 0;
        int segments = page.header[26];
        for (int i = 0; i < segments; ++i) {
            if (page.header[27 + i] < 255) ++ended;
        }
        pages.push_back(OggPageInfo{ogg_page_serialno(&page), ogg_page_granulepos(&page),
                                    ogg_page_bos(&page) != 0, ogg_page_eos(&page) != 0, ended,
                                    ogg_page_pageno(&page), static_cast<size_t>(page.header_len + page.body_len)});
    }
    ogg_sync_clear(&sync);
    return pages;
}

VorbisReadback ReadVorbis(const std::string& path) {
    VorbisReadback result;
    suite::VorbisFileSource source;
    OggVorbis_File vf;
    if (!suite::OpenVorbisFile(path, &source, &vf)) return result;
    result.opened = true;
    vorbis_info* info = ov_info(&vf, -1);
    result.channels = info->channels;
    result.rate = info->rate;
    result.nominalBitrate = info->bitrate_nominal;
    vorbis_comment* vc = ov_comment(&vf, -1);
    for (int i = 0; i < vc->comments; ++i) result.comments.emplace_back(vc->user_comments[i], vc->comment_lengths[i]);
    result.pcmTotal = ov_pcm_total(&vf, -1);
    char buffer[4096];
    int section = 0;
    while (true) {
        long got = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
        if (got == OV_HOLE) continue;
        if (got <= 0) break;
        suite::ByteReader r(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(got));
        for (size_t i = 0; i + 1 < r.size(); i += 2) result.samples.push_back(static_cast<int16_t>(r.U16LE(i)));
    }
    ov_clear(&vf);
    return result;
}

double Rms(const int16_t* samples, size_t count) {
    double sum = 0;
    for (size_t i = 0; i < count; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0;
}

}  // namespace suite_test
