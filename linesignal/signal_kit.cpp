#include "linesignal/signal_kit.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace suite_test {

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct DtmfPair {
    char key;
    double low;
    double high;
};
constexpr DtmfPair kKeys[] = {
    {'1', 697, 1209}, {'2', 697, 1336}, {'3', 697, 1477}, {'A', 697, 1633},
    {'4', 770, 1209}, {'5', 770, 1336}, {'6', 770, 1477}, {'B', 770, 1633},
    {'7', 852, 1209}, {'8', 852, 1336}, {'9', 852, 1477}, {'C', 852, 1633},
    {'*', 941, 1209}, {'0', 941, 1336}, {'#', 941, 1477}, {'D', 941, 1633},
};

}  // namespace

double AmplitudeAt(double dbfs) { return kFullScale * std::pow(10.0, dbfs / 20.0); }

double NoiseRmsFor(double dbfs, double snrDb) {
    const double sineRms = AmplitudeAt(dbfs) / std::sqrt(2.0);
    return sineRms * std::pow(10.0, -snrDb / 20.0);
}

size_t SamplesFor(double ms) { return static_cast<size_t>(std::lround(ms * kRate / 1000.0)); }

uint8_t WithEvenParity(uint8_t c) {
    c &= 0x7F;
    int ones = 0;
    for (int b = 0; b < 7; ++b) ones += (c >> b) & 1;
    return static_cast<uint8_t>(ones % 2 ? c | 0x80 : c);
}

uint16_t Crc16Kermit(const uint8_t* bytes, size_t n) {
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (int b = 0; b < 8; ++b) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : crc >> 1;
    }
    return crc;
}

std::vector<uint8_t> CallerFrame(const std::string& chars, const FrameOptions& options) {
    if (chars.size() > 127) throw std::invalid_argument("parameter longer than 127");
    const uint8_t n = static_cast<uint8_t>(chars.size());
    std::vector<uint8_t> plain = {0x10, 0x01, 0x07, 0x10, 0x02, 0x40,
                                  static_cast<uint8_t>(2 + n), options.parameterType, n};
    for (char c : chars) plain.push_back(static_cast<uint8_t>(c));
    plain.push_back(0x10);
    plain.push_back(0x03);

    std::vector<uint8_t> frame;
    for (uint8_t c : plain) frame.push_back(WithEvenParity(c));
    uint16_t crc = Crc16Kermit(frame.data() + 2, frame.size() - 2);
    if (options.corruptCrcBit >= 0) crc ^= static_cast<uint16_t>(1u << options.corruptCrcBit);
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    return frame;
}

Signal FskBurst(const std::vector<uint8_t>& bytes, const FskOptions& o) {
    std::vector<bool> bits;
    for (uint8_t b : bytes) {
        bits.push_back(false);
        for (int k = 0; k < 8; ++k) bits.push_back((b >> k) & 1);
        for (int k = 0; k < o.stopBits; ++k) bits.push_back(true);
    }
    const double leadIn = o.leadInMs / 1000.0;
    const double body = bits.size() / o.baud;
    const double total = leadIn + body + o.trailMs / 1000.0;
    const size_t count = static_cast<size_t>(std::ceil(total * kRate));
    const double amplitude = AmplitudeAt(o.levelDbfs);
    const double leadHz = o.leadInHz > 0 ? o.leadInHz : o.markHz;

    Signal out(count);
    double phase = o.startPhase;
    for (size_t n = 0; n < count; ++n) {
        const double t = n / kRate;
        double hz = o.markHz;
        if (t < leadIn) {
            hz = leadHz;
        } else {
            const size_t bit = static_cast<size_t>((t - leadIn) * o.baud);
            if (bit < bits.size() && !bits[bit]) hz = o.spaceHz;
        }
        out[n] = amplitude * std::sin(phase);
        phase += kTwoPi * hz * o.frequencyScale / kRate;
    }
    return out;
}

Signal Tone(double hz, double ms, double dbfs, double startPhase) {
    Signal out(SamplesFor(ms));
    const double amplitude = AmplitudeAt(dbfs);
    for (size_t n = 0; n < out.size(); ++n) out[n] = amplitude * std::sin(startPhase + kTwoPi * hz * n / kRate);
    return out;
}

Signal DtmfKey(char key, double ms, double lowDbfs, double highDbfs, double frequencyScale) {
    for (const DtmfPair& pair : kKeys) {
        if (pair.key != key) continue;
        Signal out = Tone(pair.low * frequencyScale, ms, lowDbfs);
        MixAt(out, Tone(pair.high * frequencyScale, ms, highDbfs), 0);
        return out;
    }
    throw std::invalid_argument("not a DTMF key");
}

Signal DialTone(double ms, double dbfs) { return Tone(400.0, ms, dbfs); }

Signal RingingTone(double ms, double dbfs, double depth) {
    Signal out(SamplesFor(ms));
    const double amplitude = AmplitudeAt(dbfs) / (1.0 + depth);  // peaks at the level
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        out[n] = amplitude * (1.0 + depth * std::sin(kTwoPi * 16.0 * t)) * std::sin(kTwoPi * 400.0 * t);
    }
    return out;
}

Signal Silence(double ms) { return Signal(SamplesFor(ms), 0.0); }

void Append(Signal& to, const Signal& part) { to.insert(to.end(), part.begin(), part.end()); }

Signal BadCrcFrames(size_t samples) {
    FrameOptions broken;
    broken.corruptCrcBit = 0;
    const std::string longest(127, '5');
    Signal s;
    while (s.size() < samples) {
        Append(s, FskBurst(CallerFrame(longest, broken)));
        Append(s, Silence(50));
    }
    s.resize(samples);
    return s;
}

void MixAt(Signal& to, const Signal& part, size_t at) {
    if (to.size() < at + part.size()) to.resize(at + part.size(), 0.0);
    for (size_t n = 0; n < part.size(); ++n) to[at + n] += part[n];
}

void AddWhiteNoise(Signal& to, double rms, std::mt19937& rng) {
    std::normal_distribution<double> gauss(0.0, rms);
    for (double& x : to) x += gauss(rng);
}

std::vector<int16_t> ToPcm(const Signal& signal) {
    std::vector<int16_t> out(signal.size());
    for (size_t n = 0; n < signal.size(); ++n)
        out[n] = static_cast<int16_t>(std::clamp(std::lround(signal[n]), -32768L, 32767L));
    return out;
}

std::vector<std::vector<int16_t>> ToBlocks(const Signal& signal, size_t minBlocks) {
    const std::vector<int16_t> pcm = ToPcm(signal);
    const size_t blocks = std::max(minBlocks, (pcm.size() + 3999) / 4000);
    std::vector<std::vector<int16_t>> out(blocks, std::vector<int16_t>(4000, 0));
    for (size_t n = 0; n < pcm.size(); ++n) out[n / 4000][n % 4000] = pcm[n];
    return out;
}

}  // namespace suite_test
