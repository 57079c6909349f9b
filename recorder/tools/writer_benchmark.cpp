// Per-block cost of RecordingWriter at each recording_format, on speech-like
// 4000-sample blocks. Writes "非常用フォルダー\TMP.tmp" in the current folder
// and removes it afterwards.
//   writer_benchmark [blocks per format, default 240 = two minutes]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "recorder/clock.h"
#include "common/file_layer.h"
#include "recorder/recording_writer.h"
#include "linesignal/speech_like.h"

using namespace suite;
using Micro = std::chrono::duration<double, std::micro>;

int main(int argc, char** argv) {
    int blocks = argc > 1 ? std::atoi(argv[1]) : 240;
    if (blocks < 1) {
        std::fprintf(stderr, "usage: writer_benchmark [blocks]\n");
        return 2;
    }
    bool hadFolder = IsFolder(kEmergencyFolder);
    std::vector<int16_t> audio = SpeechLikeSamples(kBlockSamples * static_cast<size_t>(blocks));
    SystemClock clock;
    RecordingWriter writer(clock);
    const char* names[] = {"WAV", "Ogg q0.5", "Ogg q0.3", "Ogg q0.0"};

    std::printf("%d blocks of %d samples per format (block period 500000 us)\n", blocks, kBlockSamples);
    std::printf("%-9s %10s %10s %10s %10s %10s %10s %9s\n", "format", "open_us", "mean_us", "median_us", "p99_us",
                "max_us", "finish_us", "kbit/s");
    for (uint8_t format = 0; format <= 3; ++format) {
        std::vector<double> costs;
        auto t0 = std::chrono::steady_clock::now();
        if (!writer.Open(format)) {
            std::fprintf(stderr, "cannot open the temporary file\n");
            return 1;
        }
        double openUs = Micro(std::chrono::steady_clock::now() - t0).count();
        for (int i = 0; i < blocks; ++i) {
            auto start = std::chrono::steady_clock::now();
            writer.Append(audio.data() + kBlockSamples * static_cast<size_t>(i), kBlockSamples);
            costs.push_back(Micro(std::chrono::steady_clock::now() - start).count());
        }
        t0 = std::chrono::steady_clock::now();
        writer.Finish();
        double finishUs = Micro(std::chrono::steady_clock::now() - t0).count();
        writer.MarkClosed();

        uint64_t size = 0;
        File file;
        if (file.Open(kTempRecordingPath, File::Mode::ReadCreate)) file.Size(&size);
        file.Close();
        double mean = 0;
        for (double c : costs) mean += c;
        mean /= costs.size();
        std::sort(costs.begin(), costs.end());
        double kbits = size * 8.0 / (blocks * 0.5) / 1000.0;
        std::printf("%-9s %10.0f %10.0f %10.0f %10.0f %10.0f %10.0f %9.1f\n", names[format], openUs, mean,
                    costs[costs.size() / 2], costs[std::min(costs.size() - 1, costs.size() * 99 / 100)],
                    costs.back(), finishUs, kbits);
    }
    DeleteFilePath(kTempRecordingPath);
    if (!hadFolder) RemoveEmptyFolder(kEmergencyFolder);
    return writer.WriteFailed() ? 1 : 0;
}
