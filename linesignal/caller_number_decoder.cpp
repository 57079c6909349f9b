#include "caller_number_decoder.h"

#include <algorithm>
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
    int w = start;
    int reg = 0;        // bits of the character being received, b0 = bit 0
    int ones = 0;       // one-bits in reg
    int bit = -1;       // next data bit, -1 while waiting for a start bit
    bool atEnd = false; // signal exhausted: characters repeat the register
    int i = 0;          // character index in the frame
    int n = 0;          // parameter length N
    int t = 9;          // T = N + 9, index of the DLE before ETX
    bool crcPhase = false;
    int crcLow = 0;
    int stored = 0;

    for (;;) {
        int value;
        int valueOnes;
        if (atEnd) {
            value = reg & 0x7F;
            valueOnes = 0;
        } else if (w >= end_) {
            atEnd = true;
            value = reg;
            valueOnes = bit >= 0 ? ones : 0;
        } else {
            const int len = MeasureHalfWave(w);
            if (len < 0) return false;
            w += kBitSamples;
            const bool mark = len > MarkMinHalf;
            if (bit < 0) {
                if (!mark) {
                    bit = 0;
                    reg = 0;
                    ones = 0;
                }
                continue;
            }
            if (mark) {
                reg |= 1 << bit;
                ++ones;
            }
            if (++bit < 8) continue;
            bit = -1;
            value = reg;
            valueOnes = ones;
        }
        // Between characters the register keeps the last one's seven bits.
        reg = value & 0x7F;

        if (crcPhase) {
            if (i == t + 2) {
                crcLow = value;
                ++i;
                continue;
            }
            if (!AcceptCrc(stored, crcLow, value)) return false;
            callNumber_[n] = 0;  // N = 0 leaves nothing from earlier attempts
            return true;
        }

        if (valueOnes % 2 != 0) return false;
        if (i == 1) resumeSet_ = false;
        const int c = value & 0x7F;
        if (i >= 2 && stored < kMaxCrcChars) crcChars_[stored++] = static_cast<uint8_t>(value);

        switch (i) {
        case 0: if (c != kDle) return false; break;
        case 1: if (c != kSoh) return false; break;
        case 2: if (c != kHeader) return false; break;
        case 3: if (c != kDle) return false; break;
        case 4: if (c != kStx) return false; break;
        case 5: if (c != kMessageType) return false; break;
        case 6: break;  // message length
        case 7: break;  // parameter type
        case 8:
            n = c;
            t = n + 9;
            break;
        default:
            if (i < t) {
                if (n != 1 && (c < '0' || c > '9')) return false;
                callNumber_[i - 9] = static_cast<char>(c);
                callNumber_[i - 8] = 0;
            } else if (i == t) {
                if (c != kDle) return false;
            } else {
                if (c != kEtx) return false;
                crcPhase = true;
            }
            break;
        }
        ++i;
    }
}

}  // namespace

CallerNumberDecoder::CallerNumberDecoder(LineAnalysisBuffer& buffer, CallNumberText& callNumber)
    : buffer_(buffer), callNumber_(callNumber) {}

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

    const int end = (attempt + 1) * LineAnalysisBuffer::kSlotSamples;
    FrameSearch search(buffer_.samples, end, frameCrcTable_, callNumber_);
    for (int markBound = 14; markBound >= 11; --markBound) {
        if (!search.Pass(markBound)) continue;
        acceptedMarkBound_ = markBound;
        // A letter instead of digits is the exchange's reason for withholding.
        if (std::abs(static_cast<int>(static_cast<signed char>(callNumber_[0]))) > '9') {
            static const char kWithheld[] = "非通知";
            std::copy(kWithheld, kWithheld + sizeof kWithheld, callNumber_);
        }
        return;
    }
    callNumber_[0] = 0;
}

}  // namespace suite
