// Writes speech-like test audio as a mono 8000 Hz 16-bit WAV file, the same
// samples the writer's tests and benchmarks use (not a test).
//   speech_wav SECONDS OUT.wav
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "linesignal/speech_like.h"

namespace {

void Put32(std::FILE* f, unsigned v) {
    for (int i = 0; i < 4; ++i) std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
}
void Put16(std::FILE* f, unsigned v) {
    std::fputc(static_cast<int>(v & 0xFF), f);
    std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
}

}  // namespace

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
    const unsigned data = static_cast<unsigned>(seconds) * 16000u;
    std::fwrite("RIFF", 1, 4, f);
    Put32(f, 36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f);
    Put32(f, 16);
    Put16(f, 1);
    Put16(f, 1);
    Put32(f, 8000);
    Put32(f, 16000);
    Put16(f, 2);
    Put16(f, 16);
    std::fwrite("data", 1, 4, f);
    Put32(f, data);
    std::vector<int16_t> samples = suite::SpeechLikeSamples(static_cast<size_t>(seconds) * 8000);
    for (int16_t s : samples) Put16(f, static_cast<uint16_t>(s));
    bool ok = std::fclose(f) == 0;
    return ok ? 0 : 1;
}
