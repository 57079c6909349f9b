// Success rates of the line decoders beside the reference receivers of
// spandsp (ADSI receiver in JCLIP mode, DTMF receiver), on identical
// generated signals, over level, noise, carrier offset, clock drift, twist
// and key timing. Each cell reads "ours / reference" in percent; a wrong
// number (decoded, but not exactly the one sent) is counted apart, a miss
// (nothing decoded) is not. SNR is the burst's mean power over the power of
// white noise across the whole band.
// Usage: linesignal_sweep [caller|dial] [trials per cell, default 40]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <spandsp.h>
}

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

// Outcome counts of one cell for one decoder.
struct Tally {
    int ok = 0;
    int wrong = 0;
    void Add(const std::string& got, const std::string& sent) {
        if (got == sent) ++ok;
        else if (!got.empty()) ++wrong;
    }
};

// One cell of both decoders; totals of wrong numbers per table.
struct Cell {
    Tally ours;
    Tally reference;
};

struct Totals {
    int ourWrong = 0;
    int referenceWrong = 0;
    int cellsBehind = 0;  // cells where ours succeeded less often
};

void PrintCell(const Cell& c, Totals& totals) {
    std::printf(" %.0f / %.0f", 100.0 * c.ours.ok / gTrials, 100.0 * c.reference.ok / gTrials);
    if (c.ours.wrong || c.reference.wrong) std::printf(" (wrong %d / %d)", c.ours.wrong, c.reference.wrong);
    if (c.ours.ok < c.reference.ok) {
        std::printf(" !");
        ++totals.cellsBehind;
    }
    std::printf(" |");
    totals.ourWrong += c.ours.wrong;
    totals.referenceWrong += c.reference.wrong;
    std::fflush(stdout);
}

void PrintTotals(const Totals& t) {
    std::printf("\nWrong numbers: ours %d, reference %d; cells where ours is behind (!): %d\n", t.ourWrong,
                t.referenceWrong, t.cellsBehind);
}

void Header(const char* first, const std::vector<std::string>& columns) {
    std::printf("| %s |", first);
    for (const std::string& c : columns) std::printf(" %s |", c.c_str());
    std::printf("\n|---|");
    for (size_t k = 0; k < columns.size(); ++k) std::printf("---|");
    std::printf("\n");
}

std::vector<std::string> SnrColumns(const std::vector<double>& snrs) {
    std::vector<std::string> out;
    char text[32];
    for (double snr : snrs) {
        if (snr >= kClean) std::snprintf(text, sizeof text, "clean");
        else std::snprintf(text, sizeof text, "%.0f dB", snr);
        out.push_back(text);
    }
    return out;
}

// ---- Caller number ----

struct CallerCase {
    double levelDbfs = -20;
    double snrDb = 30;
    double frequencyScale = 1.0;
    double baudScale = 1.0;
};

class CallerBench {
public:
    CallerBench() : buffer_(std::make_unique<LineAnalysisBuffer>()), decoder_(*buffer_, number_) {}

    void Trial(const CallerCase& c, uint32_t seed, Cell& cell) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const std::string number = RandomNumber(rng, 10);
        FskOptions fsk;
        fsk.levelDbfs = c.levelDbfs;
        fsk.frequencyScale = c.frequencyScale;
        fsk.baud = 1200 * c.baudScale;
        fsk.startPhase = 6.283 * unit(rng);
        Signal s = Silence(500 * unit(rng));
        Append(s, FskBurst(CallerFrame(number), fsk));
        s.resize(40000, 0.0);
        if (c.snrDb < kClean) AddWhiteNoise(s, NoiseRmsFor(c.levelDbfs, c.snrDb), rng);
        const auto blocks = ToBlocks(s, 10);

        number_[0] = 0;
        for (int attempt = 0; attempt < 10 && number_[0] == 0; ++attempt) decoder_.Decode(attempt, blocks[attempt].data());
        cell.ours.Add(number_, number);
        cell.reference.Add(Reference(blocks), number);
    }

private:
    // The first message of the JCLIP receiver over the whole call; its
    // parameter, or nothing.
    static std::string Reference(const std::vector<std::vector<int16_t>>& blocks) {
        std::string got;
        bool done = false;
        auto put = [](void* user, const uint8_t* msg, int len) {
            auto* out = static_cast<std::pair<std::string*, bool*>*>(user);
            if (*out->second || len < 9) return;
            *out->second = true;
            const int n = msg[8] & 0x7F;
            for (int k = 0; k < n && 9 + k < len; ++k) out->first->push_back(static_cast<char>(msg[9 + k] & 0x7F));
        };
        std::pair<std::string*, bool*> user(&got, &done);
        adsi_rx_state_t* rx = adsi_rx_init(nullptr, ADSI_STANDARD_JCLIP, put, &user);
        for (const auto& block : blocks) adsi_rx(rx, block.data(), static_cast<int>(block.size()));
        adsi_rx_free(rx);
        return got;
    }

    std::unique_ptr<LineAnalysisBuffer> buffer_;
    CallNumberText number_ = {};
    CallerNumberDecoder decoder_;
};

const std::vector<double> kCallerSnrs = {kClean, 30, 20, 15, 12, 10, 8};

void CallerTables() {
    CallerBench bench;
    auto run = [&](const CallerCase& c, Totals& totals) {
        Cell cell;
        for (int t = 0; t < gTrials; ++t) bench.Trial(c, 7919u * t + 17, cell);
        PrintCell(cell, totals);
    };
    Totals totals;
    // One table: a row per value, the case of each row made by set, a cell per SNR.
    auto table = [&](const char* title, const char* label, std::vector<double> values, const char* rowFormat,
                     void (*set)(CallerCase&, double), bool levels) {
        std::printf("\n### Caller number: %s\n\n", title);
        Header(label, SnrColumns(kCallerSnrs));
        for (double v : values) {
            std::printf(rowFormat, v, levels && v > 0 ? " (clipped)" : "");
            for (double snr : kCallerSnrs) {
                CallerCase c;
                set(c, v);
                c.snrDb = snr;
                run(c, totals);
            }
            std::printf("\n");
        }
    };
    table("level x SNR (success % ours / reference, 10-digit number, burst anywhere in the first block)", "level",
          {-40.0, -20.0, -6.0, 0.0, 3.0}, "| %+.0f dBFS%s |", [](CallerCase& c, double v) { c.levelDbfs = v; }, true);
    table("carrier offset x SNR (-20 dBFS)", "offset", {-3.0, -2.0, -1.0, 1.0, 2.0, 3.0}, "| %+.0f %%%s |",
          [](CallerCase& c, double v) { c.frequencyScale = 1 + v / 100; }, false);
    table("bit clock drift x SNR (-20 dBFS)", "drift", {-0.3, -0.2, -0.1, 0.1, 0.2, 0.3}, "| %+.1f %%%s |",
          [](CallerCase& c, double v) { c.baudScale = 1 + v / 100; }, false);
    PrintTotals(totals);
}

// ---- Dialled digits ----

struct DialCase {
    double levelDbfs = -20;  // mean power of the key, both tones together
    double twistDb = 2;      // high tone minus low tone
    double snrDb = 30;       // key power over noise power
    double toneMs = 100;
    double gapMs = 100;
};

class DialBench {
public:
    DialBench() : buffer_(std::make_unique<LineAnalysisBuffer>()), decoder_(*buffer_, number_) {}

    // Dial tone, seven random keys (the first one given, if not 0), ringing.
    void Trial(const DialCase& c, uint32_t seed, Cell& cell, char firstKey = 0) {
        std::mt19937 rng(seed);
        static const char kKeys[] = "0123456789*#";
        std::string keys;
        for (int k = 0; k < 7; ++k) {
            char key = kKeys[rng() % 12];
            if (k == 0 && firstKey) key = firstKey;
            keys += key;
        }
        // Tone levels whose powers add up to the key's level.
        const double highShare = std::pow(10.0, c.twistDb / 10) / (1 + std::pow(10.0, c.twistDb / 10));
        const double highDbfs = c.levelDbfs + 10 * std::log10(highShare);
        const double lowDbfs = c.levelDbfs + 10 * std::log10(1 - highShare);
        const double lineDbfs = lowDbfs - 4;  // dial and ringing tones
        const double dialMs = 400 + rng() % 800;
        Signal s = DialTone(dialMs + 30, lineDbfs);
        size_t at = SamplesFor(dialMs);
        for (char key : keys) {
            MixAt(s, DtmfKey(key, c.toneMs, lowDbfs, highDbfs), at);
            at += SamplesFor(c.toneMs + c.gapMs);
        }
        at += SamplesFor(1500);
        MixAt(s, RingingTone(1000, lineDbfs), at);
        s.resize(at + 16000, 0.0);
        if (c.snrDb < kClean) AddWhiteNoise(s, NoiseRmsFor(c.levelDbfs, c.snrDb), rng);
        const auto blocks = ToBlocks(s);

        number_[0] = 0;
        decoder_.StartCall(DialToneTestStop(blocks[0]));
        for (const auto& block : blocks) {
            decoder_.Decode(block.data());
            if (decoder_.DialComplete()) break;
        }
        const std::string expected = Shown(keys);
        cell.ours.Add(number_, expected);
        cell.reference.Add(Shown(Reference(blocks)), expected);
    }

private:
    static std::string Shown(const std::string& keys) {
        std::string out;
        for (char key : keys) out += key == '*' ? "＊" : key == '#' ? "＃" : std::string(1, key);
        return out;
    }

    static std::string Reference(const std::vector<std::vector<int16_t>>& blocks) {
        dtmf_rx_state_t* rx = dtmf_rx_init(nullptr, nullptr, nullptr);
        for (const auto& block : blocks) dtmf_rx(rx, block.data(), static_cast<int>(block.size()));
        char digits[128];
        const size_t n = dtmf_rx_get(rx, digits, sizeof digits - 1);
        dtmf_rx_free(rx);
        return std::string(digits, n);
    }

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

const std::vector<double> kDialSnrs = {kClean, 30, 20, 15, 12, 10};

void DialTables() {
    DialBench bench;
    auto run = [&](const DialCase& c, Totals& totals, char firstKey = 0) {
        Cell cell;
        for (int t = 0; t < gTrials; ++t) bench.Trial(c, 104729u * t + 3, cell, firstKey);
        PrintCell(cell, totals);
    };
    Totals totals;

    std::printf("\n### Dialled digits: level x SNR (all 7 keys right, %% ours / reference; twist +2 dB, 100 ms tone, 100 ms pause)\n\n");
    Header("key level", SnrColumns(kDialSnrs));
    for (double level : {-30.0, -20.0, -6.0, 0.0}) {
        std::printf("| %+.0f dBFS |", level);
        for (double snr : kDialSnrs) {
            DialCase c;
            c.levelDbfs = level;
            c.snrDb = snr;
            run(c, totals);
        }
        std::printf("\n");
    }

    std::printf("\n### Dialled digits: twist x SNR (-20 dBFS, 100 ms tone, 100 ms pause)\n\n");
    Header("twist (high - low)", SnrColumns(kDialSnrs));
    for (double twist : {-6.0, -4.0, -2.0, 0.0, 4.0, 6.0, 8.0}) {
        std::printf("| %+.0f dB |", twist);
        for (double snr : kDialSnrs) {
            DialCase c;
            c.twistDb = twist;
            c.snrDb = snr;
            run(c, totals);
        }
        std::printf("\n");
    }

    std::printf("\n### Dialled digits: first key x twist (-20 dBFS, 30 dB)\n\n");
    Header("first key", {"-6 dB", "-4 dB", "-2 dB", "0 dB", "+4 dB", "+8 dB"});
    for (char key : std::string("0123456789*#")) {
        std::printf("| %c |", key);
        for (double twist : {-6.0, -4.0, -2.0, 0.0, 4.0, 8.0}) {
            DialCase c;
            c.twistDb = twist;
            run(c, totals, key);
        }
        std::printf("\n");
    }

    for (double snr : {30.0, 15.0, 10.0}) {
        std::printf("\n### Dialled digits: tone x pause (-20 dBFS, %.0f dB)\n\n", snr);
        Header("tone", {"pause 40 ms", "pause 60 ms", "pause 80 ms", "pause 100 ms"});
        for (double toneMs : {40.0, 60.0, 80.0, 100.0, 120.0}) {
            std::printf("| %.0f ms |", toneMs);
            for (double gapMs : {40.0, 60.0, 80.0, 100.0}) {
                DialCase c;
                c.toneMs = toneMs;
                c.gapMs = gapMs;
                c.snrDb = snr;
                run(c, totals);
            }
            std::printf("\n");
        }
    }
    PrintTotals(totals);
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
