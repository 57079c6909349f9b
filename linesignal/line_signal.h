// Buffers shared by the two line signal decoders. The recorder owns one of
// each and hands them to its decoders; only one decoder works on a given
// call, so they can share the analysis buffer.
#pragma once
#include <cstddef>
#include <cstdint>

namespace suite {

constexpr int kLineSampleRate = 8000;   // samples per second of a block
constexpr int kBlockSamples = 4000;     // one half-second block of WorkBuffer
constexpr size_t kCallNumberSize = 256;

// The current call's number: zero-terminated Shift-JIS text.
using CallNumberText = char[kCallNumberSize];

// Ten slots of 24000 samples; slot a holds block a of an incoming call at
// 48000 samples per second. The dialled digit decoder uses the front.
struct LineAnalysisBuffer {
    static constexpr int kSlots = 10;
    static constexpr int kSlotSamples = 24000;
    static constexpr int kSamples = kSlots * kSlotSamples;
    int16_t samples[kSamples] = {};
};

}  // namespace suite
