// Reads recordings back for tests: little-endian fields (test_bytes.h), Ogg
// pages with libogg, Vorbis audio with libvorbisfile over the file layer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/tests/test_bytes.h"
#include "linesignal/speech_like.h"

namespace suite_test {

using suite::SpeechLikeSamples;

struct OggPageInfo {
    int serial;
    int64_t granule;
    bool bos;
    bool eos;
    int packetsEnded;  // packets that end on this page
    long sequence;     // page sequence number
    size_t bytes;      // header and body
};

// Every complete page of the bytes, in order.
std::vector<OggPageInfo> ReadOggPages(const std::vector<uint8_t>& bytes);

struct VorbisReadback {
    bool opened = false;
    int channels = 0;
    long rate = 0;
    long nominalBitrate = 0;
    std::vector<std::string> comments;
    int64_t pcmTotal = -1;           // ov_pcm_total, -1 when unknown
    std::vector<int16_t> samples;    // all decoded samples
};

// Opens a Shift-JIS path through the file layer with ov_open_callbacks.
VorbisReadback ReadVorbis(const std::string& path);

double Rms(const int16_t* samples, size_t count);

}  // namespace suite_test
