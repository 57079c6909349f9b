// Where a recording ends in the audio that was played: the last second of
// the recording is looked for in the played audio near an expected time,
// by normalised correlation (the recording is lossy, so no exact match).
// Both files raw 16-bit mono at 8000 Hz, as `sox X -t raw -r 8000 -b 16
// -e signed -c 1` makes them. Prints the end time in the played audio, in
// seconds, and the correlation; exit 1 when nothing matches well.
//
//   audio_align RECORDING.raw PLAYED.raw EXPECTED_END_S [SEARCH_S]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr int kRate = 8000;

std::vector<int16_t> ReadRaw(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: audio_align RECORDING.raw PLAYED.raw EXPECTED_END_S [SEARCH_S]\n");
        return 2;
    }
    const std::vector<int16_t> rec = ReadRaw(argv[1]);
    const std::vector<int16_t> played = ReadRaw(argv[2]);
    const double expected = std::atof(argv[3]);
    const double search = argc > 4 ? std::atof(argv[4]) : 3.0;
    const size_t n = kRate;  // the last second
    if (rec.size() < n || played.size() < n) {
        std::fprintf(stderr, "audio_align: a file is shorter than a second\n");
        return 2;
    }
    const int16_t* tail = rec.data() + rec.size() - n;
    double tailEnergy = 0;
    for (size_t i = 0; i < n; ++i) tailEnergy += double(tail[i]) * tail[i];

    long from = std::lround((expected - search) * kRate), to = std::lround((expected + search) * kRate);
    if (from < static_cast<long>(n)) from = static_cast<long>(n);
    if (to > static_cast<long>(played.size())) to = static_cast<long>(played.size());
    double best = -1;
    long bestEnd = -1;
    for (long end = from; end <= to; ++end) {
        const int16_t* p = played.data() + end - n;
        double dot = 0, energy = 0;
        for (size_t i = 0; i < n; ++i) {
            dot += double(p[i]) * tail[i];
            energy += double(p[i]) * p[i];
        }
        if (energy <= 0 || tailEnergy <= 0) continue;
        double c = dot / std::sqrt(energy * tailEnergy);
        if (c > best) {
            best = c;
            bestEnd = end;
        }
    }
    std::printf("%.3f %.3f\n", bestEnd / double(kRate), best);
    return best >= 0.5 ? 0 : 1;
}
