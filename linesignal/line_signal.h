// Buffers shared by the two line signal decoders, and the two measures the
// recorder takes of every block (level, dial tone). The recorder owns one
// buffer of each kind and hands them to its decoders; only one decoder works
// on a given call, so they can share the analysis buffer.
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

// Level of a block (0..127): the largest magnitude shifted right by 8,
// -32768 counting as 32767; at least `floor` (the decayed previous level).
int32_t BlockLevel(const int16_t* samples, size_t count, int32_t floor);

// The dial-tone test on the first block of a recording: true (outgoing) when
// 13 consecutive positive half-waves of 7..14 samples occur. *stopPosition
// gets the sample position where the test stopped.
bool HasDialTone(const int16_t* samples, size_t count, int* stopPosition);

}  // namespace suite
