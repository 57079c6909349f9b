// Worst-case timing of the line decoders on the recording thread's budget
// (0.5 s per block). Usage: linesignal_bench [repetitions, default 200]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "linesignal/caller_number_decoder.h"
#include "linesignal/dial_digit_decoder.h"
#include "linesignal/signal_kit.h"

using namespace suite;
using namespace suite_test;

namespace {

using Clock = std::chrono::steady_clock;
using Blocks = std::vector<std::vector<int16_t>>;

// Runs prepare (untimed) and work (timed) `reps` times; prints the median,
// the 99th percentile and the maximum in milliseconds.
void Measure(const char* name, int reps, const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int r = 0; r < reps; ++r) {
        prepare();
        const auto t0 = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("| %s | %.3f | %.3f | %.3f |\n", name, ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
    std::fflush(stdout);
}

Signal Noise(double ms, double rms, uint32_t seed) {
    Signal s = Silence(ms);
    std::mt19937 rng(seed);
    AddWhiteNoise(s, rms, rng);
    return s;
}

// The transform exactly as the formula reads, for comparison.
void DirectTransform(const int16_t* samples, int32_t* spectrum) {
    double v[1024];
    for (int k = 0; k < 512; ++k) {
        v[k] = static_cast<double>(static_cast<float>(samples[k]) / 20000.0f);
        v[512 + k] = v[k];
    }
    for (int j = 0; j < 1024; ++j) {
        double re = 0;
        double im = 0;
        for (int k = 0; k < 1024; ++k) {
            const double theta = ((k * 6.283185307) * j) * 0.0009765625;
            re += std::cos(theta) * v[k];
            im += std::sin(theta) * v[k];
        }
        im = -im;
        spectrum[j] = static_cast<int32_t>(re * re + im * im);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int reps = argc > 1 ? std::max(3, std::atoi(argv[1])) : 200;
    auto buffer = std::make_unique<LineAnalysisBuffer>();
    CallNumberText number = {};
    CallerNumberDecoder caller(*buffer, number);
    DialDigitDecoder dial(*buffer, number);

    std::printf("Repetitions: %d\n\n| case | median ms | p99 ms | max ms |\n|---|---|---|---|\n", reps);

    // Caller number: slots 0..8 gathered once, attempt 9 timed.
    auto callerCase = [&](const char* name, const Signal& signal) {
        const Blocks blocks = ToBlocks(signal, 10);
        number[0] = 0;
        for (int a = 0; a < 9; ++a) caller.Decode(a, blocks[a].data());
        Measure(name, reps, [&] { number[0] = 0; }, [&] { caller.Decode(9, blocks[9].data()); });
        return std::string(number);
    };
    const Blocks quiet = ToBlocks(Noise(500, 300, 1));
    Measure("caller attempt 0, noise (typical pass)", reps, [&] { number[0] = 0; },
            [&] { caller.Decode(0, quiet[0].data()); });
    callerCase("caller attempt 9, 5 s noise, no frame", Noise(5000, 3000, 2));
    {
        const Signal burst = FskBurst(CallerFrame("09012345678"));
        Signal s = Noise(5000 - burst.size() / 8.0 - 12, 100, 3);
        Append(s, burst);
        s.resize(40000, 0.0);
        if (callerCase("caller attempt 9, frame at the very end", s) != "09012345678")
            std::printf("(the frame at the end was not decoded)\n");
    }
    {
        // Lead-ins that never carry a frame: every pass meets 25 mark runs.
        Signal s;
        while (s.size() < 40000) {
            Append(s, Tone(1300, 150, -15));
            Append(s, Tone(2100, 50, -15));
        }
        s.resize(40000);
        callerCase("caller attempt 9, 25 lead-ins without frames", s);
    }
    {
        // Damaged frames that pass SOH: every pass tries all 16 offsets.
        callerCase("caller attempt 9, 127-digit frames with bad CRC", BadCrcFrames(40000));
    }

    // Dialled digits: a block with three bursts after the dial tone.
    {
        Signal s = DialTone(330, -18);
        MixAt(s, DtmfKey('5', 80, -14, -12), SamplesFor(300));
        s.resize(8000, 0.0);
        for (char key : std::string("123")) {
            MixAt(s, DtmfKey(key, 100, -14, -12), s.size() - 4000 + 300 + (key - '1') * 1200);
        }
        s.resize(8000, 0.0);
        const Blocks blocks = ToBlocks(s);
        Measure("dial block with three bursts", reps,
                [&] {
                    number[0] = 0;
                    dial.StartCall(200);
                    dial.Decode(blocks[0].data());
                },
                [&] { dial.Decode(blocks[1].data()); });
        if (std::string(number) != "5123") std::printf("(the three bursts were not all decoded)\n");
        Measure("dial block of noise (typical pass)", reps, [&] { number[0] = 0; },
                [&] { dial.Decode(quiet[0].data()); });
    }
    {
        const DtmfTransform transform;
        const std::vector<int16_t> pcm = ToPcm(DtmfKey('8', 64, -10, -8));
        int32_t spectrum[1024];
        Measure("transform as computed", reps, [] {}, [&] { transform.Compute(pcm.data(), spectrum); });
        Measure("transform by the direct 1024 x 1024 formula", std::min(reps, 20), [] {},
                [&] { DirectTransform(pcm.data(), spectrum); });
    }
    return 0;
}
