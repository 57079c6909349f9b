// Writes speech-like test audio as a mono 8000 Hz 16-bit WAV file, the same
// samples the writer's tests and benchmarks use (not a test).
//   speech_wav SECONDS OUT.wav
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/byte_io.h"
#include "common/wav_header.h"
#include "linesignal/speech_like.h"

int main(int argc, char** argv) {
    long seconds = argc == 3 ? std::atol(argv[1]) : 0;
    if (seconds < 1 || seconds > 24 * 3600) {
        std::fprintf(stderr, "usage: speech_wav SECONDS OUT.wav\n");
        return 2;
    }
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    std::vector<int16_t> samples = suite::SpeechLikeSamples(static_cast<size_t>(seconds) * 8000);
    const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> bytes(suite::kWavHeaderSize + data);
    suite::BuildWavHeader(data, bytes.data());
    suite::ByteWriter w(bytes.data(), bytes.size());
    for (size_t i = 0; i < samples.size(); ++i)
        w.U16LE(suite::kWavHeaderSize + 2 * i, static_cast<uint16_t>(samples[i]));
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    bool ok = std::fclose(f) == 0 && written;
    return ok ? 0 : 1;
}
