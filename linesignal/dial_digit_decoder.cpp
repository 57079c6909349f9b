#include "dial_digit_decoder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/sjis_text.h"

namespace suite {

namespace {

constexpr int kConfirmSpan = 100;   // samples looked at to confirm a burst
constexpr int kConfirmCount = 40;   // of which this many must exceed T
constexpr int kGapSamples = 100;    // a pause is longer than this
constexpr int kToneEndRuns = 17;    // non-tone half-waves that end a tone
constexpr int kMinToneHalf = 7;     // positive half-wave of ~300..570 Hz
constexpr int kMaxToneHalf = 13;
constexpr int kThresholdDelay = 20;  // T is measured this far after the tone
constexpr int kThresholdSpan = 100;
constexpr int kQuietBlocks = 16;

struct KeyRange {
    int from;
    int to;
};
constexpr KeyRange kLowRanges[] = {{88, 92}, {96, 100}, {108, 112}, {118, 122}};
constexpr KeyRange kHighRanges[] = {{152, 156}, {170, 174}, {188, 192}};
const char* const kDigits[4][3] = {
    {"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}, {"＊", "0", "＃"}};

int RangeIndex(const KeyRange* ranges, int count, int bin) {
    for (int r = 0; r < count; ++r)
        if (bin >= ranges[r].from && bin <= ranges[r].to) return r;
    return -1;
}

}  // namespace

DtmfTransform::DtmfTransform() {
    for (int r = 0; r < kSamples; ++r) {
        const double angle = r * 6.283185307 / kSamples;
        cos_[r] = std::cos(angle);
        sin_[r] = std::sin(angle);
    }
}

// With the 512 samples repeated, bin 2l is twice bin l of their 512-point
// transform and every odd bin vanishes; the upper half mirrors the lower.
void DtmfTransform::Compute(const int16_t* samples, int32_t* spectrum) const {
    double v[kSamples];
    for (int k = 0; k < kSamples; ++k)
        v[k] = static_cast<double>(static_cast<float>(samples[k]) / 20000.0f);
    std::fill(spectrum, spectrum + kBins, 0);
    for (int l = 0; l <= kSamples / 2; ++l) {
        double re = 0;
        double im = 0;
        unsigned idx = 0;
        for (int k = 0; k < kSamples; ++k) {
            re += v[k] * cos_[idx];
            im += v[k] * sin_[idx];
            idx = (idx + l) & (kSamples - 1);
        }
        const int32_t power = static_cast<int32_t>(4.0 * (re * re + im * im));
        spectrum[2 * l] = power;
        if (l > 0 && l < kSamples / 2) spectrum[kBins - 2 * l] = power;
    }
}

DtmfPeaks PickDtmfPeaks(const int32_t* spectrum) {
    constexpr int kPickedBins = 512;
    int p1 = 0;
    for (int j = 1; j < kPickedBins; ++j)
        if (std::abs(spectrum[j]) > std::abs(spectrum[p1])) p1 = j;
    int p2 = -1;
    for (int j = 0; j < kPickedBins; ++j) {
        if (std::abs(j - p1) <= 3) continue;
        if (p2 < 0 || std::abs(spectrum[j]) > std::abs(spectrum[p2])) p2 = j;
    }
    DtmfPeaks peaks;
    peaks.low = std::min(p1, p2);
    peaks.high = std::max(p1, p2);
    return peaks;
}

const char* DtmfDigitFor(DtmfPeaks peaks) {
    const int row = RangeIndex(kLowRanges, 4, peaks.low);
    const int column = RangeIndex(kHighRanges, 3, peaks.high);
    if (row < 0 || column < 0) return nullptr;
    return kDigits[row][column];
}

bool IsCallProgressTone(DtmfPeaks peaks) {
    return peaks.high >= 49 && peaks.high <= 54 && peaks.low >= 46 && peaks.low <= 58;
}

DialDigitDecoder::DialDigitDecoder(LineAnalysisBuffer& buffer, CallNumberText& callNumber)
    : area_(buffer.samples), callNumber_(callNumber) {}

void DialDigitDecoder::StartCall(int startHint) {
    state_ = DialScanState::SearchBurst;
    carried_ = 0;
    quiet_ = 0;
    dialComplete_ = false;
    dialCountdown_ = 0;
    startHint_ = startHint;
}

void DialDigitDecoder::PlaceBlock(const int16_t* block) {
    if (carried_ > 0) {
        // The area already starts with the 300 samples before the burst.
        std::memcpy(area_ + kHistory + carried_, block, kBlockSamples * sizeof(int16_t));
        end_ = kHistory + kBlockSamples + carried_;
        carried_ = 0;
        return;
    }
    std::memmove(area_, area_ + end_ - kHistory, kHistory * sizeof(int16_t));
    std::memcpy(area_ + kHistory, block, kBlockSamples * sizeof(int16_t));
    end_ = kHistory + kBlockSamples;
}

// Keeps the burst at p and the 300 samples before it for the next block.
void DialDigitDecoder::Carry(int p, DialScanState next) {
    carried_ = end_ - p;
    std::memmove(area_, area_ + p - kHistory, (kHistory + carried_) * sizeof(int16_t));
    state_ = next;
}

// T is a fifth of the peak just after the tone: on a real line the start of
// the first touch tone, which silences the dial tone.
void DialDigitDecoder::SetThresholdFrom(int p) {
    int peak = 0;
    for (int k = p; k < p + kThresholdSpan; ++k) peak = std::max(peak, std::abs(static_cast<int>(area_[k])));
    // A threshold of 0 would make every sample loud and no pause possible.
    burstThreshold_ = std::max(1, peak / 5);
}

// Peaks of the positive half-waves that start and end within p..p+512: the
// ringing tone's 16 Hz modulation makes the smallest a quarter of the largest.
bool DialDigitDecoder::ToneIsModulated(int p) const {
    const int last = p + DtmfTransform::kSamples;
    int mx = 0;
    int mn = INT_MAX;
    int j = p;
    // p >= 300: a burst is never searched for in the history.
    if (area_[p] > 0 && area_[p - 1] > 0)
        while (j <= last && area_[j] > 0) ++j;  // began before p
    for (;;) {
        while (j <= last && area_[j] <= 0) ++j;
        int peak = 0;
        while (j <= last && area_[j] > 0) peak = std::max(peak, static_cast<int>(area_[j++]));
        if (j > last) break;
        mx = std::max(mx, peak);
        mn = std::min(mn, peak);
    }
    return mn <= mx / 4;
}

void DialDigitDecoder::AppendDigit(const char* digit) {
    const size_t length = SjisLength(callNumber_, kCallNumberSize);
    const size_t add = std::strlen(digit);
    if (length + add > kCallNumberSize - 1) return;  // no room: dropped whole
    std::memcpy(callNumber_ + length, digit, add);
    callNumber_[length + add] = 0;
}

void DialDigitDecoder::Decode(const int16_t* block) {
    // Before the first digit the count only goes negative.
    if (dialCountdown_ > INT_MIN) --dialCountdown_;
    if (dialCountdown_ == 0) {
        dialComplete_ = true;
        return;
    }
    PlaceBlock(block);

    enum class Step { Search, Confirm, Transform, Gap, Skip };
    Step step = Step::Search;
    int pos = kHistory;
    if (startHint_ > 0) {
        // Where the recorder's dial tone test stopped in this block.
        pos = kHistory + std::min(startHint_, kBlockSamples - 1);
        startHint_ = -startHint_;
        step = Step::Skip;
    } else {
        switch (state_) {
        case DialScanState::SearchBurst: step = Step::Search; break;
        case DialScanState::AwaitGap: step = Step::Gap; break;
        case DialScanState::SkipTone: step = Step::Skip; break;
        case DialScanState::ConfirmCarried: step = Step::Confirm; break;
        case DialScanState::TransformCarried: step = Step::Transform; break;
        case DialScanState::ThresholdNextBlock:
            SetThresholdFrom(kHistory);
            step = Step::Search;
            break;
        }
    }

    for (;;) {
        const int threshold = burstThreshold_;  // SkipTone may set a new one
        switch (step) {
        case Step::Search:
            while (pos < end_ && std::abs(static_cast<int>(area_[pos])) < threshold) ++pos;
            if (pos >= end_) {
                state_ = DialScanState::SearchBurst;
                return;
            }
            if (end_ - pos < kConfirmSpan) {
                Carry(pos, DialScanState::ConfirmCarried);
                return;
            }
            step = Step::Confirm;
            break;

        case Step::Confirm: {
            int loud = 0;
            for (int k = pos; k < pos + kConfirmSpan; ++k)
                if (std::abs(static_cast<int>(area_[k])) > threshold) ++loud;
            if (loud < kConfirmCount) {
                pos += kConfirmSpan;
                step = Step::Search;
                break;
            }
            if (pos >= end_ - DtmfTransform::kSamples) {
                Carry(pos, DialScanState::TransformCarried);
                return;
            }
            step = Step::Transform;
            break;
        }

        case Step::Transform: {
            transform_.Compute(area_ + pos, spectrum_);
            const DtmfPeaks peaks = PickDtmfPeaks(spectrum_);
            if (const char* digit = DtmfDigitFor(peaks)) {
                AppendDigit(digit);
                dialCountdown_ = kQuietBlocks;
            } else if (IsCallProgressTone(peaks)) {
                if (ToneIsModulated(pos)) {
                    dialComplete_ = true;  // ringing: the number is complete
                    return;
                }
                callNumber_[0] = 0;  // dial tone again: start over
                step = Step::Skip;
                break;
            }
            pos += DtmfTransform::kSamples;
            quiet_ = 0;
            step = Step::Gap;
            break;
        }

        case Step::Gap:
            for (; pos < end_; ++pos) {
                if (std::abs(static_cast<int>(area_[pos])) < threshold) {
                    ++quiet_;
                } else if (quiet_ > kGapSamples) {
                    break;
                } else {
                    quiet_ = 0;
                }
            }
            if (pos >= end_) {
                state_ = DialScanState::AwaitGap;
                return;
            }
            step = Step::Search;
            break;

        case Step::Skip: {
            int c = pos;  // just after the last tone half-wave
            int nonTone = 0;
            while (nonTone < kToneEndRuns) {
                while (pos < end_ && area_[pos] <= 0) ++pos;
                const int start = pos;
                while (pos < end_ && area_[pos] > 0) ++pos;
                if (pos >= end_) {
                    state_ = DialScanState::SkipTone;
                    return;
                }
                const int h = pos - start;
                if (h >= kMinToneHalf && h <= kMaxToneHalf) {
                    c = pos;
                    nonTone = 0;
                } else {
                    ++nonTone;
                }
            }
            if (c + kThresholdDelay + kThresholdSpan > end_) {
                state_ = DialScanState::ThresholdNextBlock;
                return;
            }
            SetThresholdFrom(c + kThresholdDelay);
            pos = c + kThresholdDelay;
            step = Step::Search;
            break;
        }
        }
    }
}

}  // namespace suite
