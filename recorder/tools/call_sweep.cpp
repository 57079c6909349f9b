// Whole calls through the recorder's own pass (linereplay), beside
// spandsp's DTMF receiver on the identical samples: quiet, the dial tone,
// seven keys, the ringing tone, speech; white noise from the moment the
// line is taken. A call counts when it is saved once, as outgoing, named by
// exactly the keys; "(incoming n)" counts outgoing calls named as incoming.
// Then incoming calls (call arrival signal, caller number, speech) and
// calls that begin with speech, which must all stay incoming.
// Usage: call_sweep [calls per cell, default 8]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/byte_io.h"
#include "common/text_convert.h"
#include "common/wav_header.h"
#include "linesignal/signal_kit.h"
#include "linesignal/speech_like.h"
#include "linesignal/tools/sweep_table.h"
#include "recorder/line_replay.h"

using namespace suite;
using namespace suite_test;

namespace {

int gCalls = 8;
std::filesystem::path gRoot;
int gRun = 0;

struct Saved {
    int count = 0;
    bool outgoing = false;
    std::string number;  // UTF-8, of the last recording
};

void WriteWav(const std::filesystem::path& path, const std::vector<int16_t>& pcm) {
    const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
    std::vector<uint8_t> out(kWavHeaderSize + dataBytes);
    BuildWavHeader(dataBytes, out.data());
    ByteWriter w(out.data(), out.size());
    for (size_t i = 0; i < pcm.size(); ++i) w.U16LE(kWavHeaderSize + 2 * i, static_cast<uint16_t>(pcm[i]));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size()) {
        std::fprintf(stderr, "call_sweep: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(f);
}

// The text of "key": "value" in a JSON line.
std::string Field(const std::string& line, const std::string& key) {
    const std::string tag = "\"" + key + "\": \"";
    const size_t at = line.find(tag);
    if (at == std::string::npos) return std::string();
    const size_t from = at + tag.size();
    return line.substr(from, line.find('"', from) - from);
}

// linereplay over the call in a fresh folder.
Saved Replay(const std::vector<int16_t>& pcm) {
    const std::filesystem::path dir = gRoot / std::to_string(++gRun);
    std::filesystem::create_directories(dir);
    WriteWav(dir / "call.wav", pcm);
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    RunLineReplay({"--workdir", dir.string(), "--start", "2026-12-07 14:05:00", (dir / "call.wav").string()}, out,
                  stderr);
    std::fclose(out);
    Saved s;
    const std::string lines(text, size);
    std::free(text);
    size_t from = 0;
    while (from < lines.size()) {
        size_t to = lines.find('\n', from);
        if (to == std::string::npos) to = lines.size();
        const std::string line = lines.substr(from, to - from);
        if (line.find("\"path\"") != std::string::npos) {
            ++s.count;
            s.outgoing = Field(line, "direction") == "outgoing";
            s.number = Field(line, "number");
        }
        from = to + 1;
    }
    std::filesystem::remove_all(dir);
    return s;
}

Signal Speech(double seconds, double peakDbfs, unsigned seed) {
    const std::vector<int16_t> raw = SpeechLikeSamples(SamplesFor(seconds * 1000), seed);
    int peak = 1;
    for (int16_t x : raw) peak = std::max(peak, std::abs(static_cast<int>(x)));
    Signal out(raw.size());
    for (size_t n = 0; n < raw.size(); ++n) out[n] = raw[n] * AmplitudeAt(peakDbfs) / peak;
    return out;
}

// Noise from `from` to the end, its power snrDb below a key at levelDbfs.
void AddNoiseFrom(Signal& s, size_t from, double levelDbfs, double snrDb, std::mt19937& rng) {
    if (snrDb >= kCleanSnr) return;
    Signal noise(s.size() - from, 0.0);
    AddWhiteNoise(noise, NoiseRmsFor(levelDbfs, snrDb), rng);
    for (size_t k = 0; k < noise.size(); ++k) s[from + k] += noise[k];
}

// Past the fifteen blocks the pass ignores after its start, at any phase.
size_t Lead(std::mt19937& rng) { return SamplesFor(8000 + rng() % 1000); }

struct OutgoingCase {
    double keyDbfs = -6;    // both tones together, twist +2 dB
    double dialBelow = 6;   // dial and ringing tone this far below the keys
    double snrDb = kCleanSnr;
};

void Outgoing(const OutgoingCase& c, uint32_t seed, Cell& cell) {
    std::mt19937 rng(seed);
    std::string keys;
    for (int k = 0; k < 7; ++k) keys += "0123456789*#"[rng() % 12];
    const double highShare = std::pow(10.0, 0.2) / (1 + std::pow(10.0, 0.2));
    const double highDbfs = c.keyDbfs + 10 * std::log10(highShare);
    const double lowDbfs = c.keyDbfs + 10 * std::log10(1 - highShare);
    const double lineDbfs = c.keyDbfs - c.dialBelow;
    const size_t start = Lead(rng);
    const double dialMs = 600 + rng() % 900;
    Signal s = Silence(0);
    s.resize(start, 0.0);
    MixAt(s, DialTone(dialMs + 30, lineDbfs), start);
    size_t at = start + SamplesFor(dialMs);
    for (char key : keys) {
        MixAt(s, DtmfKey(key, 100, lowDbfs, highDbfs), at);
        at += SamplesFor(200);
    }
    at += SamplesFor(1500);
    MixAt(s, RingingTone(1000, lineDbfs), at);
    at += SamplesFor(3000);
    MixAt(s, RingingTone(1000, lineDbfs), at);
    at += SamplesFor(1300);
    MixAt(s, Speech(4, -6, seed), at);
    s.resize(s.size() + SamplesFor(1000), 0.0);
    AddNoiseFrom(s, start, c.keyDbfs, c.snrDb, rng);
    const std::vector<int16_t> pcm = ToPcm(s);

    const std::string expected = SjisToUtf8(ShownKeys(keys));
    const Saved saved = Replay(pcm);
    if (saved.count == 1 && saved.outgoing) cell.ours.Add(saved.number, expected);
    else if (saved.count == 1) ++cell.ours.misdirected;
    else cell.ours.Add("(" + std::to_string(saved.count) + " recordings)", expected);
    cell.reference.Add(SjisToUtf8(ShownKeys(ReferenceKeys(pcm.data(), pcm.size()))), expected);
}

// An incoming call: the call arrival signal, the caller number, speech.
bool IncomingStaysIncoming(double snrDb, uint32_t seed) {
    std::mt19937 rng(seed);
    const size_t start = Lead(rng);
    Signal s = Silence(0);
    s.resize(start, 0.0);
    Signal car = Silence(500);
    for (size_t n = 0; n < car.size(); ++n) car[n] = AmplitudeAt(-6) * std::sin(6.283185307179586 * 16.0 * n / kRate);
    Append(s, car);
    Append(s, Silence(1000));
    std::string number = "0";
    while (number.size() < 10) number += static_cast<char>('0' + rng() % 10);
    FskOptions fsk;
    fsk.levelDbfs = -20 + 20.0 * (rng() % 1000) / 1000;
    Append(s, FskBurst(CallerFrame(number), fsk));
    Append(s, Silence(700));
    Append(s, Speech(4, -6, seed));
    Append(s, Silence(1000));
    AddNoiseFrom(s, start, fsk.levelDbfs, snrDb, rng);
    const Saved saved = Replay(ToPcm(s));
    return saved.count >= 1 && !saved.outgoing;
}

// A recording that begins with speech (the call arrival signal missed).
bool SpeechStaysIncoming(uint32_t seed) {
    std::mt19937 rng(seed);
    Signal s = Silence(0);
    s.resize(Lead(rng), 0.0);
    Append(s, Speech(6, -20 + 20.0 * (rng() % 1000) / 1000, seed));
    Append(s, Silence(1000));
    const Saved saved = Replay(ToPcm(s));
    return saved.count >= 1 && !saved.outgoing;
}

const std::vector<double> kSnrs = {kCleanSnr, 30, 20, 15, 12, 10};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) gCalls = std::max(1, std::atoi(argv[1]));
    char pattern[] = "/tmp/call_sweep.XXXXXX";
    if (!mkdtemp(pattern)) {
        std::fprintf(stderr, "call_sweep: no temporary folder\n");
        return 1;
    }
    gRoot = pattern;
    std::printf("Calls per cell: %d\n", gCalls);
    std::printf("\n### Whole outgoing calls through the recorder's pass (all 7 keys right, %% ours / reference)\n\n");
    Header("keys, dial tone", SnrColumns(kSnrs));
    Totals totals;
    for (double keyDbfs : {-6.0, 0.0}) {
        for (double below : {6.0, 10.0}) {
            std::printf("| %+.0f dBFS, dial tone %.0f dB below |", keyDbfs, below);
            for (double snr : kSnrs) {
                OutgoingCase c;
                c.keyDbfs = keyDbfs;
                c.dialBelow = below;
                c.snrDb = snr;
                Cell cell;
                for (int t = 0; t < gCalls; ++t) Outgoing(c, 104729u * t + 11, cell);
                PrintCell(cell, gCalls, totals);
            }
            std::printf("\n");
        }
    }
    PrintTotals(totals);

    int incoming = 0;
    int taken = 0;
    for (double snr : kSnrs)
        for (int t = 0; t < gCalls; ++t, ++incoming) taken += IncomingStaysIncoming(snr, 7919u * t + 5) ? 0 : 1;
    for (int t = 0; t < 2 * gCalls; ++t, ++incoming) taken += SpeechStaysIncoming(31u * t + 2) ? 0 : 1;
    std::printf("Incoming calls (caller number at each SNR, or speech first) not saved as incoming: %d of %d\n", taken,
                incoming);
    std::filesystem::remove_all(gRoot);
    return 0;
}
