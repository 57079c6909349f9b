// Success rates of the line decoders over signal level, noise, carrier
// offset, clock drift, burst position, twist and tone length, printed as
// Markdown tables. Usage: linesignal_sweep [caller|dial] [trials per cell, default 40]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

constexpr double kClean = 1000.0;  // "SNR" meaning no noise at all

int gTrials = 40;

std::string RandomNumber(std::mt19937& rng, size_t digits) {
    std::string s = "0";
    while (s.size() < digits) s += static_cast<char>('0' + rng() % 10);
    return s;
}

struct CallerCase {
    double levelDbfs = -15;
    double snrDb = 30;
    double frequencyScale = 1.0;
    double baudScale = 1.0;
    double atMs = -1;  // burst start from the call's start; < 0: random in the first block
    size_t digits = 10;
};

class CallerBench {
public:
    CallerBench() : buffer_(std::make_unique<LineAnalysisBuffer>()), decoder_(*buffer_, number_) {}

    // One call as the recorder runs it; the attempt that succeeded or -1.
    int Trial(const CallerCase& c, uint32_t seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const std::string number = RandomNumber(rng, c.digits);
        FskOptions fsk;
        fsk.levelDbfs = c.levelDbfs;
        fsk.frequencyScale = c.frequencyScale;
        fsk.baud = 1200 * c.baudScale;
        fsk.startPhase = 6.283 * unit(rng);
        const double atMs = c.atMs >= 0 ? c.atMs : 500 * unit(rng);
        Signal s = Silence(atMs);
        Append(s, FskBurst(CallerFrame(number), fsk));
        s.resize(40000, 0.0);
        if (c.snrDb < kClean) AddWhiteNoise(s, NoiseRmsFor(c.levelDbfs, c.snrDb), rng);
        const auto blocks = ToBlocks(s, 10);
        number_[0] = 0;
        for (int attempt = 0; attempt < 10; ++attempt) {
            decoder_.Decode(attempt, blocks[attempt].data());
            if (number_[0] == 0) continue;
            return number == number_ ? attempt : -2;  // -2: a wrong number accepted
        }
        return -1;
    }

    // Percentage of successful calls; counts wrong numbers in *wrong.
    double Rate(const CallerCase& c, int* wrong = nullptr, double* meanAttempt = nullptr) {
        int ok = 0;
        int bad = 0;
        int attempts = 0;
        for (int t = 0; t < gTrials; ++t) {
            const int r = Trial(c, 7919u * t + 17);
            if (r >= 0) {
                ++ok;
                attempts += r;
            }
            if (r == -2) ++bad;
        }
        if (wrong) *wrong += bad;
        if (meanAttempt) *meanAttempt = ok ? static_cast<double>(attempts) / ok : -1;
        return 100.0 * ok / gTrials;
    }

private:
    std::unique_ptr<LineAnalysisBuffer> buffer_;
    CallNumberText number_ = {};
    CallerNumberDecoder decoder_;
};

struct DialCase {
    double lowDbfs = -15;
    double twistDb = 2;    // high tone minus low tone
    double snrDb = 30;     // against the low tone
    double toneMs = 80;
    double gapMs = 80;
};

class DialBench {
public:
    DialBench() : buffer_(std::make_unique<LineAnalysisBuffer>()), decoder_(*buffer_, number_) {}

    // Dial tone, seven random keys (the first one given, if not 0), ringing;
    // true when the text is exact.
    bool Trial(const DialCase& c, uint32_t seed, char firstKey = 0) {
        std::mt19937 rng(seed);
        static const char kKeys[] = "0123456789*#";
        std::string keys;
        std::string expected;
        for (int k = 0; k < 7; ++k) {
            char key = kKeys[rng() % 12];
            if (k == 0 && firstKey) key = firstKey;
            keys += key;
            expected += key == '*' ? "＊" : key == '#' ? "＃" : std::string(1, key);
        }
        const double lineDbfs = c.lowDbfs - 4;  // dial and ringing tones
        const double dialMs = 400 + rng() % 800;
        Signal s = DialTone(dialMs + 30, lineDbfs);
        size_t at = SamplesFor(dialMs);
        for (char key : keys) {
            MixAt(s, DtmfKey(key, c.toneMs, c.lowDbfs, c.lowDbfs + c.twistDb), at);
            at += SamplesFor(c.toneMs + c.gapMs);
        }
        at += SamplesFor(1500);
        MixAt(s, RingingTone(1000, lineDbfs), at);
        s.resize(at + 16000, 0.0);
        if (c.snrDb < kClean) AddWhiteNoise(s, NoiseRmsFor(c.lowDbfs, c.snrDb), rng);
        const auto blocks = ToBlocks(s);

        number_[0] = 0;
        decoder_.StartCall(DialToneTestStop(blocks[0]));
        for (const auto& block : blocks) {
            decoder_.Decode(block.data());
            if (decoder_.DialComplete()) break;
        }
        return expected == number_;
    }

    double Rate(const DialCase& c, char firstKey = 0) {
        int ok = 0;
        for (int t = 0; t < gTrials; ++t) ok += Trial(c, 104729u * t + 3, firstKey);
        return 100.0 * ok / gTrials;
    }

private:
    // The recorder's test of the first block: stops after 13 positive
    // half-waves of 7..14 samples in a row.
    static int DialToneTestStop(const std::vector<int16_t>& block) {
        int runs = 0;
        int pos = 0;
        for (;;) {
            int length = 0;
            while (pos < kBlockSamples && block[pos] > 0) ++pos, ++length;
            if (pos >= kBlockSamples) break;
            if (length >= 7 && length <= 14) {
                if (++runs > 12) break;
            } else {
                runs = 0;
            }
            while (pos < kBlockSamples && block[pos] <= 0) ++pos;
            if (pos >= kBlockSamples) break;
        }
        return runs > 12 ? pos : 0;
    }

    std::unique_ptr<LineAnalysisBuffer> buffer_;
    CallNumberText number_ = {};
    DialDigitDecoder decoder_;
};

const double kSnrs[] = {kClean, 40, 30, 20, 15, 12, 10, 8, 6};

void SnrHeader(const char* first) {
    std::printf("| %s |", first);
    for (double snr : kSnrs) {
        if (snr >= kClean) std::printf(" clean |");
        else std::printf(" %.0f dB |", snr);
    }
    std::printf("\n|---|");
    for (size_t k = 0; k < sizeof kSnrs / sizeof kSnrs[0]; ++k) std::printf("---|");
    std::printf("\n");
}

void CallerTables() {
    CallerBench bench;
    int wrong = 0;

    std::printf("\n### Caller number: level x SNR (success %%, 10-digit number, burst anywhere in the first block)\n\n");
    SnrHeader("level dBFS");
    for (double level : {-60.0, -50.0, -45.0, -40.0, -35.0, -30.0, -25.0, -20.0, -15.0, -10.0, -5.0, 0.0, 3.0, 6.0}) {
        std::printf("| %+.0f%s |", level, level > 0 ? " (clipped)" : "");
        for (double snr : kSnrs) {
            CallerCase c;
            c.levelDbfs = level;
            c.snrDb = snr;
            std::printf(" %.0f |", bench.Rate(c, &wrong));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\n### Caller number: carrier offset x SNR (success %%, -15 dBFS)\n\n");
    std::printf("| offset | clean | 30 dB | 20 dB | 12 dB |\n|---|---|---|---|---|\n");
    for (double offset : {-3.0, -2.0, -1.0, 0.0, 1.0, 2.0, 3.0}) {
        std::printf("| %+.0f %% |", offset);
        for (double snr : {kClean, 30.0, 20.0, 12.0}) {
            CallerCase c;
            c.frequencyScale = 1 + offset / 100;
            c.snrDb = snr;
            std::printf(" %.0f |", bench.Rate(c, &wrong));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\n### Caller number: bit clock drift x number length (success %%, -15 dBFS, 30 dB)\n\n");
    std::printf("| drift | 1 digit | 10 digits | 11 digits | 20 digits |\n|---|---|---|---|---|\n");
    for (double drift : {-1.0, -0.5, -0.3, -0.2, -0.1, 0.0, 0.1, 0.2, 0.3, 0.5, 1.0}) {
        std::printf("| %+.1f %% |", drift);
        for (size_t digits : {1u, 10u, 11u, 20u}) {
            CallerCase c;
            c.baudScale = 1 + drift / 100;
            c.digits = digits;
            std::printf(" %.0f |", bench.Rate(c, &wrong));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\n### Caller number: burst start in the call (success %% and mean attempt, -15 dBFS, 30 dB)\n\n");
    std::printf("| start (ms) | block | success | mean attempt |\n|---|---|---|---|\n");
    for (double atMs = 0; atMs <= 4900; atMs += atMs < 1000 ? 100 : 500) {
        CallerCase c;
        c.atMs = atMs;
        double mean = 0;
        const double rate = bench.Rate(c, &wrong, &mean);
        std::printf("| %.0f | %d | %.0f | %.1f |\n", atMs, static_cast<int>(atMs / 500), rate, mean);
        std::fflush(stdout);
    }
    std::printf("\nWrong numbers accepted over all caller number trials: %d\n", wrong);
}

void DialTables() {
    DialBench bench;

    std::printf("\n### Dialled digits: level x SNR (all 7 keys right, %%; twist +2 dB, 80 ms tone, 80 ms pause)\n\n");
    SnrHeader("low tone dBFS");
    for (double level : {-60.0, -50.0, -45.0, -40.0, -35.0, -30.0, -25.0, -20.0, -15.0, -10.0, -6.0, -3.0}) {
        std::printf("| %+.0f |", level);
        for (double snr : kSnrs) {
            DialCase c;
            c.lowDbfs = level;
            c.snrDb = snr;
            std::printf(" %.0f |", bench.Rate(c));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\n### Dialled digits: twist x level (all keys right, %%; 30 dB SNR)\n\n");
    std::printf("| twist (high - low) | -35 dBFS | -20 dBFS | -10 dBFS | -3 dBFS |\n|---|---|---|---|---|\n");
    for (double twist : {-8.0, -6.0, -4.0, -2.0, 0.0, 2.0, 4.0, 6.0, 8.0}) {
        std::printf("| %+.0f dB |", twist);
        for (double level : {-35.0, -20.0, -10.0, -3.0}) {
            DialCase c;
            c.lowDbfs = level;
            c.twistDb = twist;
            std::printf(" %.0f |", bench.Rate(c));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\n### Dialled digits: first key x twist (all keys right, %%; -15 dBFS, 30 dB SNR)\n\n");
    std::printf("| first key | -6 dB | -4 dB | -2 dB | 0 dB | +2 dB | +4 dB | +6 dB |\n|---|---|---|---|---|---|---|---|\n");
    for (char key : std::string("0123456789*#")) {
        std::printf("| %c |", key);
        for (double twist : {-6.0, -4.0, -2.0, 0.0, 2.0, 4.0, 6.0}) {
            DialCase c;
            c.twistDb = twist;
            std::printf(" %.0f |", bench.Rate(c, key));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\n### Dialled digits: tone length x pause (all keys right, %%; -15 dBFS, 30 dB SNR)\n\n");
    std::printf("| tone | pause 20 ms | pause 40 ms | pause 60 ms | pause 100 ms |\n|---|---|---|---|---|\n");
    for (double toneMs : {40.0, 50.0, 60.0, 70.0, 80.0, 100.0, 120.0}) {
        std::printf("| %.0f ms |", toneMs);
        for (double gapMs : {20.0, 40.0, 60.0, 100.0}) {
            DialCase c;
            c.toneMs = toneMs;
            c.gapMs = gapMs;
            std::printf(" %.0f |", bench.Rate(c));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\n### Dialled digits: tone length x SNR (all keys right, %%; -15 dBFS, 80 ms pause)\n\n");
    SnrHeader("tone");
    for (double toneMs : {40.0, 60.0, 80.0, 120.0}) {
        std::printf("| %.0f ms |", toneMs);
        for (double snr : kSnrs) {
            DialCase c;
            c.toneMs = toneMs;
            c.snrDb = snr;
            std::printf(" %.0f |", bench.Rate(c));
        }
        std::printf("\n");
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* only = nullptr;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "caller") == 0 || std::strcmp(argv[k], "dial") == 0) only = argv[k];
        else gTrials = std::max(1, std::atoi(argv[k]));
    }
    std::printf("Trials per cell: %d\n", gTrials);
    if (!only || std::strcmp(only, "caller") == 0) CallerTables();
    if (!only || std::strcmp(only, "dial") == 0) DialTables();
    return 0;
}
