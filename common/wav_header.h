// The 44-byte RIFF header of the suite's WAV files: PCM, mono, 8000 Hz,
// 16-bit (recordings, simulated calls, test audio).
#pragma once
#include <cstddef>
#include <cstdint>

namespace suite {

constexpr size_t kWavHeaderSize = 44;

// The header of a file with dataBytes bytes of samples after it.
void BuildWavHeader(uint32_t dataBytes, uint8_t header[kWavHeaderSize]);

}  // namespace suite
