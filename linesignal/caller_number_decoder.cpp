#include "linesignal/caller_number_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace suite {

namespace {

constexpr int kBitSamples = 40;     // one bit at 1200 bit/s, 48000 samples/s
constexpr int kMarkRunHalves = 20;  // positive mark half-waves that make a lead-in
constexpr int kMaxHalf = 25;        // a mark half-wave is shorter than this
constexpr int kFirstOffset = 10;    // window offsets d tried before a mark run's end
constexpr int kLastOffset = 25;
constexpr int kMaxCrcChars = 136;   // header .. ETX with the 7-bit length N

constexpr uint8_t kDle = 0x10, kSoh = 0x01, kHeader = 0x07, kStx = 0x02, kEtx = 0x03;
constexpr uint8_t kMessageType = 0x40;

// One frame attempt: the bit reader's and the frame's place.
struct FrameAttempt {
    int w = 0;              // first sample of the next bit window
    int reg = 0;            // bits of the character being received, b0 = bit 0
    int ones = 0;           // one-bits in reg
    int bit = -1;           // next data bit, -1 while waiting for a start bit
    bool atEnd = false;     // signal exhausted: characters repeat the register
    int i = 0;              // character index in the frame
    int n = 0;              // parameter length N
    int t = 9;              // T = N + 9, index of the DLE before ETX
    bool crcPhase = false;  // ETX seen: the two CRC characters follow
    int crcLow = 0;
    int stored = 0;         // characters kept for the CRC
};

enum class FrameStep { Continue, Reject, Accept };

// One call of the decoder: the passes over the gathered signal. Lives on the
// stack of Decode, so nothing survives between calls but the buffer.
class FrameSearch {
public:
    FrameSearch(const int16_t* signal, int end, const uint16_t* crcTable, char* callNumber)
        : s_(signal), end_(end), crcTable_(crcTable), callNumber_(callNumber) {}

    // One pass with the given bound; true when a frame was accepted.
    bool Pass(int markBound);

private:
    int FindMarkRun(int from);
    bool DecodeFrom(int start);
    bool ReadCharacter(FrameAttempt& a, int* value, int* valueOnes) const;
    FrameStep TakeCharacter(FrameAttempt& a, int value, int valueOnes);
    bool TakeFrameCharacter(FrameAttempt& a, int c);
    int MeasureHalfWave(int w) const;
    bool AcceptCrc(int count, int crcLow, int crcHigh) const;

    const int16_t* s_;
    int end_;                      // E: samples gathered for this call
    const uint16_t* crcTable_;
    char* callNumber_;

    int MarkBound = 14;            // a mark half-wave is longer than this (samples)
    int MarkMinHalf = 40;          // shortest mark half-wave of the search (samples)
    int lastMarkRun_ = -1;         // m of the latest mark run of this call, -1 none
    bool resumeSet_ = false;       // no attempt at this run got past SOH's parity
    uint8_t crcChars_[kMaxCrcChars] = {};
};

bool FrameSearch::Pass(int markBound) {
    MarkBound = markBound;
    int from = 0;
    for (;;) {
        MarkMinHalf = 40;
        const int m = FindMarkRun(from);
        if (m < 0) {
            // No later run: give the latest one its remaining offsets.
            if (lastMarkRun_ >= 0) {
                for (int d = kFirstOffset + 1; d <= kLastOffset; ++d)
                    if (DecodeFrom(lastMarkRun_ - d)) return true;
            }
            return false;
        }
        lastMarkRun_ = m;
        resumeSet_ = true;
        if (DecodeFrom(m - kFirstOffset)) return true;
        if (resumeSet_) {
            // Not even the SOH came through: this was probably not the lead-in.
            resumeSet_ = false;
            from = m;
            continue;
        }
        for (int d = kFirstOffset + 1; d <= kLastOffset; ++d)
            if (DecodeFrom(m - d)) return true;
        return false;
    }
}

// Index of the negative sample that ends the first non-mark positive
// half-wave after at least 20 mark half-waves, or -1.
int FrameSearch::FindMarkRun(int from) {
    int count = 0;
    int j = from;
    for (;;) {
        while (j < end_ && s_[j] <= 0) ++j;
        const int start = j;
        while (j < end_ && s_[j] >= 0) ++j;
        if (j >= end_) return -1;
        const int h = j - start;
        if (h > MarkBound && h < kMaxHalf) {
            ++count;
            MarkMinHalf = std::min(MarkMinHalf, h);
        } else if (count >= kMarkRunHalves) {
            return j;
        } else {
            count = 0;
        }
        ++j;
    }
}

// Length of the half-wave measured in the bit window at w, or -1 when it
// does not end within the window. Samples from E on do not exist yet.
int FrameSearch::MeasureHalfWave(int w) const {
    const int limit = std::min(w + kBitSamples, end_);
    int j = w;
    int start = w;
    if (s_[w] > 0) {
        while (j < limit && s_[j] > 0) ++j;
        start = j;
        while (j < limit && s_[j] <= 0) ++j;
    } else if (s_[w] == 0) {
        while (j < limit && s_[j] >= 0) ++j;
    } else {
        while (j < limit && s_[j] < 0) ++j;
        start = j;
        while (j < limit && s_[j] >= 0) ++j;
    }
    if (j >= limit) return -1;
    return j - start;
}

bool FrameSearch::AcceptCrc(int count, int crcLow, int crcHigh) const {
    unsigned reg = 0;
    for (int k = 0; k < count; ++k) reg = (reg >> 8) ^ crcTable_[(crcChars_[k] ^ reg) & 0xFF];
    return reg == static_cast<unsigned>(crcLow + 256 * crcHigh);
}

// One frame attempt with bit windows from start on; true when accepted.
bool FrameSearch::DecodeFrom(int start) {
    if (start < 0) return false;
    FrameAttempt a;
    a.w = start;
    for (;;) {
        int value;
        int valueOnes;
        if (!ReadCharacter(a, &value, &valueOnes)) return false;
        const FrameStep step = TakeCharacter(a, value, valueOnes);
        if (step != FrameStep::Continue) return step == FrameStep::Accept;
    }
}

// The next character with its count of one-bits; past the signal's end the
// register repeats. False when a half-wave does not end in its window.
bool FrameSearch::ReadCharacter(FrameAttempt& a, int* value, int* valueOnes) const {
    for (;;) {
        if (a.atEnd) {
            *value = a.reg & 0x7F;
            *valueOnes = 0;
            break;
        }
        if (a.w >= end_) {
            a.atEnd = true;
            *value = a.reg;
            *valueOnes = a.bit >= 0 ? a.ones : 0;
            break;
        }
        const int len = MeasureHalfWave(a.w);
        if (len < 0) return false;
        a.w += kBitSamples;
        const bool mark = len > MarkMinHalf;
        if (a.bit < 0) {
            if (!mark) {
                a.bit = 0;
                a.reg = 0;
                a.ones = 0;
            }
            continue;
        }
        if (mark) {
            a.reg |= 1 << a.bit;
            ++a.ones;
        }
        if (++a.bit < 8) continue;
        a.bit = -1;
        *value = a.reg;
        *valueOnes = a.ones;
        break;
    }
    // Between characters the register keeps the last one's seven bits.
    a.reg = *value & 0x7F;
    return true;
}

// One received character: parity, the frame's fixed characters, the number,
// then the CRC over header .. ETX.
FrameStep FrameSearch::TakeCharacter(FrameAttempt& a, int value, int valueOnes) {
    if (a.crcPhase) {
        if (a.i == a.t + 2) {
            a.crcLow = value;
            ++a.i;
            return FrameStep::Continue;
        }
        if (!AcceptCrc(a.stored, a.crcLow, value)) return FrameStep::Reject;
        callNumber_[a.n] = 0;  // N = 0 leaves nothing from earlier attempts
        return FrameStep::Accept;
    }
    if (valueOnes % 2 != 0) return FrameStep::Reject;
    if (a.i == 1) resumeSet_ = false;
    if (a.i >= 2 && a.stored < kMaxCrcChars) crcChars_[a.stored++] = static_cast<uint8_t>(value);
    if (!TakeFrameCharacter(a, value & 0x7F)) return FrameStep::Reject;
    ++a.i;
    return FrameStep::Continue;
}

// The character c at frame index a.i; false when it breaks the frame.
bool FrameSearch::TakeFrameCharacter(FrameAttempt& a, int c) {
    switch (a.i) {
    case 0: return c == kDle;
    case 1: return c == kSoh;
    case 2: return c == kHeader;
    case 3: return c == kDle;
    case 4: return c == kStx;
    case 5: return c == kMessageType;
    case 6: return true;  // message length
    case 7: return true;  // parameter type
    case 8:
        a.n = c;
        a.t = a.n + 9;
        return true;
    default:
        break;
    }
    if (a.i < a.t) {
        if (a.n != 1 && (c < '0' || c > '9')) return false;
        callNumber_[a.i - 9] = static_cast<char>(c);
        callNumber_[a.i - 8] = 0;
        return true;
    }
    if (a.i == a.t) return c == kDle;
    if (c != kEtx) return false;
    a.crcPhase = true;
    return true;
}

// ---- Correlation receiver: runs where the passes above found nothing ----

constexpr int kSlotStep = 6;            // slot samples per line sample (48000 / 8000)
constexpr int kWindow = 7;              // correlation window, line samples (about one bit)
constexpr int kOscillatorPeriod = 80;   // 1300 and 2100 Hz both repeat after 80 samples
constexpr double kBitLength = 8000.0 / 1200.0;  // line samples per bit
constexpr int kLeadBits = 10;           // bits before the DLE that must be mostly mark
constexpr int kLeadMarks = 8;
constexpr int kMaxIdleBits = 10;        // mark allowed between characters
constexpr int kMaxFrame = 9 + 127 + 4;  // header, the longest parameter, DLE ETX, CRC
constexpr float kDoubtfulBit = 0.5f;    // a bit measured nearer 0 than this may be wrong

// Reads characters bit by bit from the mark/space measure: each character
// is timed from its own start bit, so bit clock drift does not add up, and
// each bit is judged over its whole length, so neither noise nor a carrier
// off its nominal frequency moves single zero crossings into the decision.
class CorrelationReceiver {
public:
    CorrelationReceiver(const float* markness, int end, const uint16_t* crcTable)
        : d_(markness), end_(end), crcTable_(crcTable) {}

    // The first frame that passes every check and its CRC; its parameter
    // goes to callNumber only then.
    bool Find(char* callNumber) const {
        for (int n = kWindow; n < end_; ++n) {
            if (d_[n] >= 0 || d_[n - 1] < 0) continue;  // not a mark-to-space change
            const double start = SharpestEdge(n - (kWindow - 1) / 2);
            if (!AfterMark(start)) continue;
            int value = 0;
            if (!ReadCharacter(start, &value, true) || value != WithParity(kDle)) continue;
            if (ReadFrame(start, callNumber)) return true;
        }
        return false;
    }

private:
    static int WithParity(int c) {
        int ones = 0;
        for (int b = 0; b < 7; ++b) ones += (c >> b) & 1;
        return ones % 2 ? c | 0x80 : c;
    }

    // Measure of bit `bit` of a character starting at `start`, its window
    // centred on the bit; false when the signal ends first.
    bool Bit(double start, int bit, float* value) const {
        const int n = static_cast<int>(std::lround(start + (bit + 0.5) * kBitLength)) + (kWindow - 1) / 2;
        if (n < kWindow || n >= end_) return false;
        *value = d_[n];
        return true;
    }

    bool AfterMark(double start) const {
        int marks = 0;
        for (int k = 1; k <= kLeadBits; ++k) {
            float v = 0;
            if (!Bit(start, -k, &v)) return false;
            if (v > 0) ++marks;
        }
        return marks >= kLeadMarks;
    }

    // Start bit, eight bits least significant first. With `parity`, a
    // parity error is mended by turning the least certain bit when that one
    // is uncertain indeed; the CRC has the last word.
    bool ReadCharacter(double start, int* value, bool parity = false) const {
        float v = 0;
        if (!Bit(start, 0, &v) || v > 0) return false;
        int c = 0;
        int weakest = 0;
        float weakestSize = 2;
        for (int b = 0; b < 8; ++b) {
            if (!Bit(start, b + 1, &v)) return false;
            if (v > 0) c |= 1 << b;
            if (std::fabs(v) < weakestSize) {
                weakestSize = std::fabs(v);
                weakest = b;
            }
        }
        if (parity && WithParity(c & 0x7F) != c) {
            if (weakestSize > kDoubtfulBit) return false;
            c ^= 1 << weakest;
        }
        *value = c;
        return true;
    }

    // Measure at the window centred on line sample c.
    float At(int c) const {
        const int n = c + (kWindow - 1) / 2;
        return n >= kWindow && n < end_ ? d_[n] : 0.0f;
    }

    // The mark-to-space edge near sample c: where four samples of mark
    // before it stand out most from four of space after it.
    double SharpestEdge(int c) const {
        int best = c;
        float bestContrast = -1e30f;
        for (int e = c - 3; e <= c + 3; ++e) {
            float contrast = 0;
            for (int j = 1; j <= 4; ++j) contrast += At(e - j - 1) - At(e + j);
            if (contrast > bestContrast) {
                bestContrast = contrast;
                best = e;
            }
        }
        return best;
    }

    // Start of the character after the one at `previous`: right after its
    // stop bit, or after a few bits of idle mark. The clock follows the
    // edges halfway, so one edge blurred by noise does not throw it.
    double NextStart(double previous) const {
        const double due = previous + 10 * kBitLength;
        const int expected = static_cast<int>(std::lround(due));
        const double edge = SharpestEdge(expected);
        float v = 0;
        if (!Bit(edge, 0, &v)) return -1;
        if (v < 0) return due + (edge - due) / 2;
        const int to = std::min(end_, expected + static_cast<int>(kMaxIdleBits * kBitLength));
        for (int c = expected + 3; c < to; ++c)
            if (At(c) < 0) return SharpestEdge(c);
        return -1;
    }

    bool ReadFrame(double start, char* callNumber) const {
        uint8_t bytes[kMaxFrame];
        int count = 0;
        int need = 9;
        while (count < need) {
            if (count > 0) {
                start = NextStart(start);
                if (start < 0) return false;
            }
            int value = 0;
            const bool frameCharacter = count < need - 2 || need == 9;
            if (!ReadCharacter(start, &value, frameCharacter)) return false;
            bytes[count++] = static_cast<uint8_t>(value);
            if (count <= 6 && (value & 0x7F) != kFrameStart[count - 1]) return false;
            if (count == 9) need = 9 + (value & 0x7F) + 4;
        }
        const int n = bytes[8] & 0x7F;
        if (n == 0) return false;
        for (int i = 9; i < 9 + n; ++i) {
            const int c = bytes[i] & 0x7F;
            if (n != 1 && (c < '0' || c > '9')) return false;
        }
        if ((bytes[9 + n] & 0x7F) != kDle || (bytes[10 + n] & 0x7F) != kEtx) return false;
        unsigned reg = 0;
        for (int i = 2; i <= 10 + n; ++i) reg = (reg >> 8) ^ crcTable_[(bytes[i] ^ reg) & 0xFF];
        if (reg != static_cast<unsigned>(bytes[11 + n] + 256 * bytes[12 + n])) return false;
        for (int i = 0; i < n; ++i) callNumber[i] = static_cast<char>(bytes[9 + i] & 0x7F);
        callNumber[n] = 0;
        return true;
    }

    static constexpr uint8_t kFrameStart[6] = {kDle, kSoh, kHeader, kDle, kStx, kMessageType};

    const float* d_;
    int end_;  // line samples gathered
    const uint16_t* crcTable_;
};

}  // namespace

CallerNumberDecoder::CallerNumberDecoder(LineAnalysisBuffer& buffer, CallNumberText& callNumber)
    : buffer_(buffer),
      callNumber_(callNumber),
      markness_(std::make_unique<float[]>(LineAnalysisBuffer::kSamples / kSlotStep)) {
    const double hz[2] = {1300.0, 2100.0};
    for (int f = 0; f < 2; ++f)
        for (int n = 0; n < kOscillatorPeriod; ++n) {
            const double phase = 6.283185307179586 * hz[f] * n / 8000.0;
            oscillators_[2 * f][n] = static_cast<float>(std::cos(phase));
            oscillators_[2 * f + 1][n] = static_cast<float>(std::sin(phase));
        }
}

// Mark power against space power over the 7 line samples ending at each
// sample of slot `attempt` (the slot's every sixth sample is the block's).
void CallerNumberDecoder::Demodulate(int attempt) {
    const int first = attempt * kBlockSamples;
    for (int n = first; n < first + kBlockSamples; ++n) {
        float sums[4] = {};
        for (int k = std::max(0, n - kWindow + 1); k <= n; ++k) {
            const float x = buffer_.samples[k * kSlotStep];
            const int phase = k % kOscillatorPeriod;
            for (int o = 0; o < 4; ++o) sums[o] += x * oscillators_[o][phase];
        }
        const float mark = sums[0] * sums[0] + sums[1] * sums[1];
        const float space = sums[2] * sums[2] + sums[3] * sums[3];
        markness_[n] = mark + space > 0 ? (mark - space) / (mark + space) : 0.0f;
    }
}

void CallerNumberDecoder::BuildFrameCrcTable() {
    for (unsigned i = 0; i < 256; ++i) {
        unsigned v = i;
        for (int step = 0; step < 8; ++step) v = (v & 1) ? (v >> 1) ^ 0x8408 : v >> 1;
        frameCrcTable_[i] = static_cast<uint16_t>(v);
    }
}

// Six-fold linear interpolation into slot `attempt`; the sample after the
// block counts as 0. The previous slot's last step, made towards that 0,
// is redone towards this block's first sample: a burst across the seam
// then reads as one continuous signal.
void CallerNumberDecoder::Resample(int attempt, const int16_t* block) {
    int16_t* out = buffer_.samples + attempt * LineAnalysisBuffer::kSlotSamples;
    if (attempt > 0) {
        int16_t* last = out - 6;
        const int x = last[0];
        const int e = (block[0] - x) / 6;
        for (int k = 1; k < 6; ++k) last[k] = static_cast<int16_t>(x + k * e);
    }
    for (int n = 0; n < kBlockSamples; ++n) {
        const int x = block[n];
        const int next = n + 1 < kBlockSamples ? block[n + 1] : 0;
        const int e = (next - x) / 6;
        for (int k = 0; k < 6; ++k) out[6 * n + k] = static_cast<int16_t>(x + k * e);
    }
}

void CallerNumberDecoder::Decode(int attempt, const int16_t* block) {
    if (frameCrcTable_[1] == 0) BuildFrameCrcTable();
    acceptedMarkBound_ = 0;
    if (attempt < 0 || attempt >= LineAnalysisBuffer::kSlots) {
        callNumber_[0] = 0;
        return;
    }
    Resample(attempt, block);
    Demodulate(attempt);

    const int end = (attempt + 1) * LineAnalysisBuffer::kSlotSamples;
    FrameSearch search(buffer_.samples, end, frameCrcTable_, callNumber_);
    bool accepted = false;
    for (int markBound = 14; markBound >= 11 && !accepted; --markBound) {
        if (search.Pass(markBound)) {
            accepted = true;
            acceptedMarkBound_ = markBound;
        }
    }
    if (!accepted) {
        const CorrelationReceiver receiver(markness_.get(), (attempt + 1) * kBlockSamples, frameCrcTable_);
        accepted = receiver.Find(callNumber_);
    }
    if (!accepted) {
        callNumber_[0] = 0;
        return;
    }
    // A letter instead of digits is the exchange's reason for withholding.
    if (std::abs(static_cast<int>(static_cast<signed char>(callNumber_[0]))) > '9') {
        static const char kWithheld[] = "非通知";
        std::copy(kWithheld, kWithheld + sizeof kWithheld, callNumber_);
    }
}

}  // namespace suite
