// Test audio: Ogg Vorbis encoded with libvorbisenc, 16-bit WAV files with
// any header fields.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace browser_test {

std::vector<uint8_t> EncodeOgg(const std::vector<int16_t>& samples, int rate, int channels);
// Offsets of the Ogg pages of a file, in order.
std::vector<size_t> OggPages(const std::vector<uint8_t>& file);
// Recomputes the checksum of every page after bytes were changed.
void FixOggChecksums(std::vector<uint8_t>* file);

struct WavFields {
    uint16_t formatTag = 1;
    uint16_t channels = 1;
    uint32_t rate = 8000;
    uint32_t bytesPerSecond = 16000;
    uint16_t blockAlign = 2;
    uint16_t bits = 16;
};
std::vector<uint8_t> MakeWav(const WavFields& f, const std::vector<uint8_t>& data);
// A 1 kHz tone at 8000 Hz with the given peak, n samples.
std::vector<int16_t> Tone(size_t n, int peak);
std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples);

}  // namespace browser_test
