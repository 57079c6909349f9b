// Success rates of the line decoders beside the reference receivers of
// spandsp (ADSI receiver in JCLIP mode, DTMF receiver), on identical
// generated signals, over level, noise, carrier offset, clock drift, twist
// and key timing, and keys whose tones are off by a share. Each cell reads
// "ours / reference" in percent; a wrong number (decoded, but not exactly
// the one sent) is counted apart, and of those the ones with a key read as
// another; a miss (nothing decoded) is not. SNR is the burst's mean power
// over the power of white noise across the whole band. The caller number
// calls also go through the recorder's dial tone test, block by block, which
// must never take them for outgoing; the dialled digits end with talk-off,
// speech right after the last key. Whole calls through the recorder's pass:
// call_sweep (recorder/tools).
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

#include "linesignal/caller_number_decoder.h"
#include "linesignal/dial_digit_decoder.h"
#include "linesignal/line_signal.h"
#include "linesignal/signal_kit.h"
#include "linesignal/speech_like.h"
#include "linesignal/tools/sweep_table.h"

using namespace suite;
using namespace suite_test;

namespace {

constexpr double kClean = kCleanSnr;

int gTrials = 40;

std::string RandomNumber(std::mt19937& rng, size_t digits) {
    std::string s = "0";
    while (s.size() < digits) s += static_cast<char>('0' + rng() % 10);
    return s;
}

void PrintCell(const Cell& c, Totals& totals) { suite_test::PrintCell(c, gTrials, totals); }

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

    int takenOutgoing = 0;  // blocks of these calls the direction test calls outgoing
    int checkedBlocks = 0;

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

        // Whichever block the recording begins with, the call stays incoming.
        for (const auto& block : blocks) {
            int hint = 0;
            if (DialToneTest(block.data(), block.size(), &hint)) ++takenOutgoing;
        }
        checkedBlocks += static_cast<int>(blocks.size());

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
    std::printf("Blocks of these incoming calls the direction test takes for outgoing: %d of %d\n",
                bench.takenOutgoing, bench.checkedBlocks);
}

// ---- Dialled digits ----

struct DialCase {
    double levelDbfs = -20;  // mean power of the key, both tones together
    double twistDb = 2;      // high tone minus low tone
    double snrDb = 30;       // key power over noise power
    double toneMs = 100;
    double gapMs = 100;
    double frequencyScale = 1.0;  // both tones of every key
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
            MixAt(s, DtmfKey(key, c.toneMs, lowDbfs, highDbfs, c.frequencyScale), at);
            at += SamplesFor(c.toneMs + c.gapMs);
        }
        at += SamplesFor(1500);
        MixAt(s, RingingTone(1000, lineDbfs), at);
        s.resize(at + 16000, 0.0);
        if (c.snrDb < kClean) AddWhiteNoise(s, NoiseRmsFor(c.levelDbfs, c.snrDb), rng);
        const std::string expected = ShownKeys(keys);
        cell.ours.Add(Decoded(s), expected);
        const std::vector<int16_t> pcm = ToPcm(s);
        cell.reference.Add(ShownKeys(ReferenceKeys(pcm.data(), pcm.size())), expected);
    }

    // Seven keys, then speech at once (no ringing): the characters the
    // decoder adds after the keys, and those of the reference.
    void TalkOff(uint32_t seed, int* ours, int* reference) {
        std::mt19937 rng(seed);
        std::string keys;
        for (int k = 0; k < 7; ++k) keys += "0123456789*#"[rng() % 12];
        Signal s = DialTone(600 + 30, -24);
        size_t at = SamplesFor(600);
        for (char key : keys) {
            MixAt(s, DtmfKey(key, 100, -22, -20), at);
            at += SamplesFor(200);
        }
        const std::vector<int16_t> speech = SpeechLikeSamples(SamplesFor(12000), seed);
        s.resize(at + speech.size(), 0.0);
        for (size_t k = 0; k < speech.size(); ++k) s[at + k] += speech[k];
        const std::string expected = ShownKeys(keys);
        const std::string got = Decoded(s);
        if (got.compare(0, expected.size(), expected) == 0) *ours += static_cast<int>(got.size() - expected.size());
        else ++*ours;  // not even the keys: counted as one
        const std::vector<int16_t> pcm = ToPcm(s);
        const std::string heard = ReferenceKeys(pcm.data(), pcm.size());
        if (heard.compare(0, keys.size(), keys) == 0) *reference += static_cast<int>(heard.size() - keys.size());
        else ++*reference;
    }

private:

    // The number the decoder makes of the call, started as the recorder
    // starts it.
    std::string Decoded(const Signal& s) {
        const auto blocks = ToBlocks(s);
        number_[0] = 0;
        decoder_.StartCall(DialToneTestStop(blocks[0]));
        for (const auto& block : blocks) {
            decoder_.Decode(block.data());
            if (decoder_.DialComplete()) break;
        }
        return number_;
    }

    // The recorder's dial tone test of the first block.
    static int DialToneTestStop(const std::vector<int16_t>& block) {
        int hint = 0;
        DialToneTest(block.data(), block.size(), &hint);
        return hint;
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

    std::printf("\n### Dialled digits: both tones off by a share (-6 dBFS, twist +2 dB, 100 ms tone, 100 ms pause)\n\n");
    Header("deviation", SnrColumns({kClean, 20}));
    for (double deviation : {-4.0, -3.5, -3.0, -2.5, -2.0, -1.5, -1.0, 0.0, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0}) {
        std::printf("| %+.1f %% |", deviation);
        for (double snr : {kClean, 20.0}) {
            DialCase c;
            c.levelDbfs = -6;
            c.snrDb = snr;
            c.frequencyScale = 1 + deviation / 100;
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

    int ourFalse = 0;
    int referenceFalse = 0;
    const int calls = 4 * gTrials;
    for (int t = 0; t < calls; ++t) bench.TalkOff(7u * t + 1, &ourFalse, &referenceFalse);
    std::printf("\nTalk-off, speech right after the last key: false digits ours %d, reference %d in %d calls\n",
                ourFalse, referenceFalse, calls);
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
