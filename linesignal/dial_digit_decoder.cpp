#include "linesignal/dial_digit_decoder.h"

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
constexpr int kShortestKey = 256;   // samples of a key (32 ms) before its pause
constexpr int kPlainEndGrace = 512;  // samples the plain tone end may come after the paired one
constexpr int kGoesOnSpan = 256;    // samples that tell whether the dial tone goes on
constexpr int kKeyCheckSpan = 256;  // samples that tell a key from the dial tone
constexpr int kKeyCheckStep = 128;
constexpr int kRetryStep = 128;     // a first key's transform tried again this much later

struct KeyRange {
    int from;
    int to;
};
// Keys may be 1.5 % off each tone. Only even bins hold power (15.6 Hz
// apart), and a tone between two of them peaks on either, the nearer as a
// rule but noise decides near the middle: a range holds every even bin
// within 2 bins of the tone's ±1.5 %, so it reaches about ±(1.5 % + 8 Hz)
// at best and ±(1.5 % + 16 Hz) at worst. The even bins between the ranges
// (94, 104, 114, 116; 160..166, 176..184) stay free, so a key 3.5 or 4 %
// off peaks on its own range or between, never on a neighbour's.
constexpr KeyRange kLowRanges[] = {{86, 92}, {96, 102}, {106, 112}, {118, 124}};
constexpr KeyRange kHighRanges[] = {{152, 158}, {168, 174}, {186, 192}};
const char* const kDigits[4][3] = {
    {"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}, {"＊", "0", "＃"}};

int RangeIndex(const KeyRange* ranges, int count, int bin) {
    for (int r = 0; r < count; ++r)
        if (bin >= ranges[r].from && bin <= ranges[r].to) return r;
    return -1;
}

// Bands of the spectrum (bins 7.8125 Hz apart, only even bins hold power).
constexpr int kLowBandFrom = 80, kLowBandTo = 130;    // 625..1016 Hz
constexpr int kHighBandFrom = 145, kHighBandTo = 215;  // 1133..1680 Hz, fourth column too
constexpr int kToneSpread = 4;       // a tone's power lies within this many bins of its peak
constexpr int kNeighbourGap = 8;     // nearer bins belong to the peak's own tone
constexpr int kNeighbourRatio = 6;   // any other bin of the band is this much weaker
constexpr int kCountedFrom = 8;      // below ~60 Hz: hum and offset, not noise
constexpr int kProgressFrom = 46, kProgressTo = 58;  // about 360..450 Hz

bool InProgressBand(int bin) { return bin >= kProgressFrom && bin <= kProgressTo; }
// 16 Hz beat of the 400 Hz amplitude over its mean: about 0.9 for the
// ringing tone, above 0.5 under noise at 10 dB, below 0.2 for a steady one.
constexpr double kBeatShare = 0.4;

int BandPeak(const int32_t* spectrum, int from, int to) {
    int peak = from;
    for (int j = from + 1; j <= to; ++j)
        if (spectrum[j] > spectrum[peak]) peak = j;
    return peak;
}

int64_t PowerAround(const int32_t* spectrum, int bin) {
    int64_t sum = 0;
    for (int j = bin - kToneSpread; j <= bin + kToneSpread; ++j) sum += spectrum[j];
    return sum;
}

// No second tone in the band: a window across two keys, or noise.
bool AloneInBand(const int32_t* spectrum, int from, int to, int peak) {
    for (int j = from; j <= to; ++j)
        if (std::abs(j - peak) > kNeighbourGap &&
            static_cast<int64_t>(spectrum[j]) * kNeighbourRatio > spectrum[peak])
            return false;
    return true;
}

int64_t CountedPower(const int32_t* spectrum) {
    int64_t sum = 0;
    for (int j = kCountedFrom; j < DtmfTransform::kSamples; ++j) sum += spectrum[j];
    return sum;
}

// Squared amplitude of the sine at hz in x[0..n) (Goertzel).
double ToneAmplitude2(const int16_t* x, int n, double hz) {
    const double coefficient = 2.0 * std::cos(6.283185307179586 * hz / kLineSampleRate);
    double s1 = 0;
    double s2 = 0;
    for (int k = 0; k < n; ++k) {
        const double s0 = x[k] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 4.0 * power / (static_cast<double>(n) * n);
}

constexpr double kDtmfHz[] = {697, 770, 852, 941, 1209, 1336, 1477, 1633};

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

namespace {

// The two band peaks hold a key's share of the power, and each stands alone.
bool KeyShaped(const int32_t* spectrum, int low, int high) {
    const int64_t lowPower = PowerAround(spectrum, low);
    const int64_t highPower = PowerAround(spectrum, high);
    // Together the two tones hold most of the power, and neither is more
    // than 10 dB below the other.
    if (2 * (lowPower + highPower) < CountedPower(spectrum)) return false;
    if (10 * lowPower < highPower || 10 * highPower < lowPower) return false;
    if (!AloneInBand(spectrum, kLowBandFrom, kLowBandTo, low)) return false;
    return AloneInBand(spectrum, kHighBandFrom, kHighBandTo, high);
}

}  // namespace

const char* ValidatedDtmfDigit(const int32_t* spectrum) {
    const int low = BandPeak(spectrum, kLowBandFrom, kLowBandTo);
    const int high = BandPeak(spectrum, kHighBandFrom, kHighBandTo);
    const int row = RangeIndex(kLowRanges, 4, low);
    const int column = RangeIndex(kHighRanges, 3, high);
    if (row < 0 || column < 0) return nullptr;
    return KeyShaped(spectrum, low, high) ? kDigits[row][column] : nullptr;
}

namespace {

// A key too far off its tones for the table: both peaks within the span of
// the first three columns' keys up to 4 % off (short of the fourth
// column's), at least one of them outside every range.
bool IsKeyOffTheTable(const int32_t* spectrum) {
    constexpr int kLowFrom = 82, kLowTo = 128;     // 641..1000 Hz
    constexpr int kHighFrom = 146, kHighTo = 198;  // 1141..1547 Hz
    const int low = BandPeak(spectrum, kLowBandFrom, kLowBandTo);
    const int high = BandPeak(spectrum, kHighBandFrom, kHighBandTo);
    if (low < kLowFrom || low > kLowTo || high < kHighFrom || high > kHighTo) return false;
    if (RangeIndex(kLowRanges, 4, low) >= 0 && RangeIndex(kHighRanges, 3, high) >= 0) return false;
    return KeyShaped(spectrum, low, high);
}

}  // namespace

bool HoldsCallProgressTone(const int32_t* spectrum) {
    int64_t tone = 0;
    for (int j = kProgressFrom; j <= kProgressTo; ++j) tone += spectrum[j];
    return tone > 0 && 2 * tone >= CountedPower(spectrum);
}

namespace {

// The noisy dial tone's spans: 512 samples every 256, three in a row (128 ms).
constexpr int kToneSpanStep = 256;
constexpr int kToneSpans = 3;
constexpr int kToneFloorFrom = 8;      // below ~60 Hz: hum and offset
constexpr int kToneClear = 6;          // the tone's own main lobe and beat: within 6 bins
constexpr int kToneDominance = 10;     // every other tone this much weaker
constexpr int kToneWander = 2;         // the peak may move this many bins between spans

// A tone's power from its peak bin: with the even bin beside it that shares
// it (a tone between two even bins splits its power between them).
int64_t TonePower(const int32_t* spectrum, int bin) {
    const int32_t below = bin >= 2 ? spectrum[bin - 2] : 0;
    const int32_t above = bin + 2 < DtmfTransform::kSamples ? spectrum[bin + 2] : 0;
    return static_cast<int64_t>(spectrum[bin]) + std::max(below, above);
}

// The peak bin of a span when it lies near 400 Hz and its tone is at least
// ten times (10 dB) as strong as any other. The span is Hann windowed, so
// the tone's own leakage stays within 6 bins; white noise at the tone's own
// power leaves the strongest other pair of bins about 13 dB below it, while
// a voice has another harmonic within 10 dB of its strongest, and the
// caller number burst and the call arrival signal peak elsewhere. -1
// otherwise.
int DominantToneBin(const int32_t* spectrum) {
    int peak = kToneFloorFrom;
    for (int j = kToneFloorFrom; j < DtmfTransform::kSamples; j += 2)
        if (spectrum[j] > spectrum[peak]) peak = j;
    if (!InProgressBand(peak) || spectrum[peak] <= 0) return -1;
    const int64_t tone = TonePower(spectrum, peak);
    for (int j = kToneFloorFrom; j < DtmfTransform::kSamples; j += 2)
        if (std::abs(j - peak) > kToneClear && TonePower(spectrum, j) * kToneDominance > tone) return -1;
    return peak;
}

// Hann weights of a span.
struct HannWindow {
    float w[DtmfTransform::kSamples];
    HannWindow() {
        for (int k = 0; k < DtmfTransform::kSamples; ++k)
            w[k] = static_cast<float>(0.5 - 0.5 * std::cos(6.283185307179586 * k / DtmfTransform::kSamples));
    }
};

// Where a steady 400 Hz tone holds kToneSpans spans in a row, the start of
// the first; -1 when none does. Steady: its bin wanders little and its power
// stays within 3 dB, which a syllable's rise and fall do not.
int SteadyToneStart(const int16_t* samples, size_t count) {
    static const DtmfTransform transform;
    static const HannWindow hann;
    int16_t span[DtmfTransform::kSamples];
    int32_t spectrum[DtmfTransform::kBins];
    int bins[kToneSpans];
    int32_t powers[kToneSpans];
    int run = 0;
    for (size_t at = 0; at + DtmfTransform::kSamples <= count; at += kToneSpanStep) {
        for (int k = 0; k < DtmfTransform::kSamples; ++k)
            span[k] = static_cast<int16_t>(std::lround(samples[at + k] * hann.w[k]));
        transform.Compute(span, spectrum);
        const int bin = DominantToneBin(spectrum);
        if (bin < 0) {
            run = 0;
            continue;
        }
        if (run == kToneSpans) {
            std::copy(bins + 1, bins + kToneSpans, bins);
            std::copy(powers + 1, powers + kToneSpans, powers);
            --run;
        }
        bins[run] = bin;
        powers[run] = spectrum[bin];
        if (++run < kToneSpans) continue;
        const auto [lowBin, highBin] = std::minmax_element(bins, bins + kToneSpans);
        const auto [weakest, strongest] = std::minmax_element(powers, powers + kToneSpans);
        if (*highBin - *lowBin <= kToneWander && *strongest <= 2 * static_cast<int64_t>(*weakest))
            return static_cast<int>(at) - (kToneSpans - 1) * kToneSpanStep;
    }
    return -1;
}

}  // namespace

bool DialToneTest(const int16_t* samples, size_t count, int* startHint) {
    if (HasDialTone(samples, count, startHint)) return true;
    const int start = SteadyToneStart(samples, count);
    *startHint = start < 0 ? 0 : std::max(start, 1);
    return start >= 0;
}

DialDigitDecoder::DialDigitDecoder(LineAnalysisBuffer& buffer, CallNumberText& callNumber)
    : area_(buffer.samples), callNumber_(callNumber) {}

void DialDigitDecoder::StartCall(int startHint) {
    state_ = DialScanState::SearchBurst;
    carried_ = 0;
    quiet_ = 0;
    dialComplete_ = false;
    dialCountdown_ = 0;
    doubted_ = false;
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

// Where noise or the dial tone's last milliseconds set T, it can lie
// within the noise; the key itself then gives a higher one: a fifth of its
// peak, or 0.45 of its RMS when clipping flattened the peak. Measured in the
// second half of the transform's span, past the dial tone's last moments.
void DialDigitDecoder::RaiseThresholdTo(int p) {
    constexpr int kHalf = DtmfTransform::kSamples / 2;
    int peak = 0;
    double power = 0;
    for (int k = p + kHalf; k < p + DtmfTransform::kSamples; ++k) {
        const int x = area_[k];
        peak = std::max(peak, std::abs(x));
        power += static_cast<double>(x) * x;
    }
    const int fromRms = static_cast<int>(0.45 * std::sqrt(power / kHalf));
    const int fromKey = std::max(peak / 5, fromRms);
    if (fromKey * 10 > burstThreshold_ * 13) burstThreshold_ = fromKey;
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

// The 400 Hz amplitude in eight slices of 8 ms: the ringing tone's swings
// by far more than 4:1, a steady tone under noise does not (noise alone can
// make the half-wave peaks above look modulated). Strong noise fills the
// ringing tone's trough and hides the swing; its 16 Hz beat (one cycle over
// the slices) still stands out from the mean amplitude, a steady tone's
// does not.
bool DialDigitDecoder::EnvelopeIsModulated(int p) const {
    constexpr int kSlices = 8;
    constexpr int kSlice = DtmfTransform::kSamples / kSlices;
    double mx = 0;
    double mn = 1e300;
    double sum = 0;
    double re = 0;
    double im = 0;
    for (int k = 0; k < kSlices; ++k) {
        const double a2 = ToneAmplitude2(area_ + p + k * kSlice, kSlice, 400.0);
        mx = std::max(mx, a2);
        mn = std::min(mn, a2);
        const double a = std::sqrt(a2);
        const double angle = 6.283185307179586 * k / kSlices;
        sum += a;
        re += a * std::cos(angle);
        im += a * std::sin(angle);
    }
    return mn * 16 <= mx || 2 * std::hypot(re, im) >= kBeatShare * sum;
}

// A sample at or above T belongs to a signal when the 32 samples before or
// after it are loud on average; a lone noise peak does not end a pause.
bool DialDigitDecoder::LoudAround(int p, int threshold) const {
    constexpr int kSpan = 32;
    if (p + kSpan > end_ || p < kSpan) return true;  // cannot tell: as loud as it is
    int before = 0;
    int after = 0;
    for (int k = 0; k < kSpan; ++k) {
        before += std::abs(static_cast<int>(area_[p - k]));
        after += std::abs(static_cast<int>(area_[p + k]));
    }
    return std::max(before, after) >= threshold * kSpan;
}

// Where the half-waves say the tone ended, noise may only have broken them
// up: the tone goes on when 400 Hz still holds a quarter of the power and
// four times any touch tone's. Near the block end the samples left tell
// it: taking T from a tone that goes on loses the key that ends it.
bool DialDigitDecoder::DialToneGoesOn(int p) const {
    const int span = std::min(kGoesOnSpan, end_ - p);
    if (span < kThresholdSpan) return false;
    double power = 0;
    for (int k = 0; k < span; ++k) power += static_cast<double>(area_[p + k]) * area_[p + k];
    power /= span;
    const double tone = ToneAmplitude2(area_ + p, span, 400.0);
    double key = 0;
    for (double hz : kDtmfHz) key = std::max(key, ToneAmplitude2(area_ + p, span, hz));
    return tone > 4 * key && tone > 0.25 * power;
}

// The last 256 samples hold a touch tone four times the 400 Hz one: a key
// began under the dial tone's end, and the next block would cut it short.
bool DialDigitDecoder::KeyAtTheEnd() const { return KeyAt(end_ - kKeyCheckSpan, false); }

// 256 samples from p hold a touch tone four times the 400 Hz one; with
// `owning`, its two tones also carry most of the power, which noise alone
// never gives them.
bool DialDigitDecoder::KeyAt(int p, bool owning) const {
    constexpr int kSpan = kKeyCheckSpan;
    const double tone = ToneAmplitude2(area_ + p, kSpan, 400.0);
    double low = 0;
    double high = 0;
    for (int k = 0; k < 4; ++k) low = std::max(low, ToneAmplitude2(area_ + p, kSpan, kDtmfHz[k]));
    for (int k = 4; k < 8; ++k) high = std::max(high, ToneAmplitude2(area_ + p, kSpan, kDtmfHz[k]));
    if (!(low > 4 * tone && high > tone)) return false;
    if (!owning) return true;
    double power = 0;
    for (int k = 0; k < kSpan; ++k) power += static_cast<double>(area_[p + k]) * area_[p + k];
    return low + high > power / kSpan;  // each amplitude² is twice its tone's power
}

void DialDigitDecoder::AppendDigit(const char* digit) {
    if (doubted_) return;
    const size_t length = SjisLength(callNumber_, kCallNumberSize);
    const size_t add = std::strlen(digit);
    if (length + add > kCallNumberSize - 1) return;  // no room: dropped whole
    std::memcpy(callNumber_ + length, digit, add);
    callNumber_[length + add] = 0;
}

// A key the table cannot name: the number would come out with it missing,
// and a wrong number names the recording; none is read instead.
void DialDigitDecoder::DoubtNumber() {
    doubted_ = true;
    callNumber_[0] = 0;
}

void DialDigitDecoder::Decode(const int16_t* block) {
    // Before the first digit the count only goes negative.
    if (dialCountdown_ > INT_MIN) --dialCountdown_;
    if (dialCountdown_ == 0) {
        dialComplete_ = true;
        return;
    }
    PlaceBlock(block);
    Step step = Resume();
    retryUntil_ = pos_ + DtmfTransform::kSamples;
    while (step != Step::Stop) {
        switch (step) {
        case Step::Search: step = SearchStep(); break;
        case Step::Confirm: step = ConfirmStep(); break;
        case Step::Transform: step = TransformStep(); break;
        case Step::Gap: step = GapStep(); break;
        case Step::Skip: step = SkipStep(); break;
        case Step::Stop: break;
        }
    }
}

// Where the scan of the new block begins, from the state the last one left.
DialDigitDecoder::Step DialDigitDecoder::Resume() {
    pos_ = kHistory;
    if (startHint_ > 0) {
        // Where the recorder's dial tone test stopped in this block.
        pos_ = kHistory + std::min(startHint_, kBlockSamples - 1);
        startHint_ = -startHint_;
        return Step::Skip;
    }
    switch (state_) {
    case DialScanState::SearchBurst: return Step::Search;
    case DialScanState::AwaitGap: return Step::Gap;
    case DialScanState::SkipTone: return Step::Skip;
    case DialScanState::ConfirmCarried: return Step::Confirm;
    case DialScanState::TransformCarried: return Step::Transform;
    case DialScanState::ThresholdNextBlock:
        // Noise may only have broken the tone's last half-waves up.
        if (DialToneGoesOn(end_ - kBlockSamples)) return Step::Skip;
        SetThresholdFrom(end_ - kBlockSamples);  // where the new block begins
        return Step::Search;
    }
    return Step::Search;
}

DialDigitDecoder::Step DialDigitDecoder::SearchStep() {
    const int threshold = burstThreshold_;
    while (pos_ < end_ && std::abs(static_cast<int>(area_[pos_])) < threshold) ++pos_;
    if (pos_ >= end_) {
        state_ = DialScanState::SearchBurst;
        return Step::Stop;
    }
    if (end_ - pos_ < kConfirmSpan) {
        Carry(pos_, DialScanState::ConfirmCarried);
        return Step::Stop;
    }
    return Step::Confirm;
}

DialDigitDecoder::Step DialDigitDecoder::ConfirmStep() {
    const int threshold = burstThreshold_;
    int loud = 0;
    for (int k = pos_; k < pos_ + kConfirmSpan; ++k)
        if (std::abs(static_cast<int>(area_[k])) > threshold) ++loud;
    if (loud < kConfirmCount) {
        pos_ += kConfirmSpan;
        return Step::Search;
    }
    if (pos_ >= end_ - DtmfTransform::kSamples) {
        Carry(pos_, DialScanState::TransformCarried);
        return Step::Stop;
    }
    retryUntil_ = pos_ + DtmfTransform::kSamples;
    return Step::Transform;
}

DialDigitDecoder::Step DialDigitDecoder::TransformStep() {
    transform_.Compute(area_ + pos_, spectrum_);
    const DtmfPeaks peaks = PickDtmfPeaks(spectrum_);
    const char* digit = ValidatedDtmfDigit(spectrum_);
    if (digit || IsKeyOffTheTable(spectrum_)) {
        if (digit) AppendDigit(digit);
        else DoubtNumber();
        dialCountdown_ = kQuietBlocks;
        RaiseThresholdTo(pos_);
        // The pause may begin within the transform's span when the key is
        // short; it is looked for once the shortest key is over.
        pos_ += kShortestKey;
        quiet_ = 0;
        return Step::Gap;
    }
    if (IsCallProgressTone(peaks) || HoldsCallProgressTone(spectrum_)) {
        if (ToneIsModulated(pos_) && EnvelopeIsModulated(pos_)) {
            dialComplete_ = true;  // ringing: the number is complete
            return Step::Stop;
        }
        callNumber_[0] = 0;  // dial tone again: start over
        doubted_ = false;
        return Step::Skip;
    }
    if (callNumber_[0] == 0 && !doubted_ && pos_ < retryUntil_ && InProgressBand(peaks.low)) {
        // The span began under the dial tone's end and takes in the first
        // key: look again a little later, not past the key.
        pos_ += kRetryStep;
        if (pos_ > end_ - DtmfTransform::kSamples) {
            Carry(pos_, DialScanState::TransformCarried);
            return Step::Stop;
        }
        return Step::Transform;
    }
    pos_ += DtmfTransform::kSamples;
    quiet_ = 0;
    return Step::Gap;
}

DialDigitDecoder::Step DialDigitDecoder::GapStep() {
    const int threshold = burstThreshold_;
    for (; pos_ < end_; ++pos_) {
        if (std::abs(static_cast<int>(area_[pos_])) < threshold) {
            ++quiet_;
        } else if (quiet_ > kGapSamples) {
            break;
        } else if (!LoudAround(pos_, threshold)) {
            ++quiet_;
        } else {
            quiet_ = 0;
        }
    }
    if (pos_ >= end_) {
        state_ = DialScanState::AwaitGap;
        return Step::Stop;
    }
    return Step::Search;
}

// Two counts of the same half-waves. The plain one takes any positive
// half-wave of tone length; a reverse-twisted key has such half-waves now
// and then and would never end the tone. The paired one takes it only when
// the negative half-wave after it has a tone's length too, which a key's
// seldom do. Some keys under reverse twist beat into tone-length pairs often
// enough to hold both counts up: a key the spectrum has seen in two spans in
// a row ends the tone where the first one began. pos_ is left where the
// counting stopped: the block's end when it ran out.
DialDigitDecoder::ToneEnd DialDigitDecoder::CountToneHalfWaves() {
    ToneEnd e;
    e.plain = pos_;       // just after the last tone half-wave
    e.paired = pos_;      // the same, for the paired count
    int nonTone = 0;
    int pairedNonTone = 0;
    int pending = -1;     // a tone-length half-wave, its negative one still open
    const int skipFrom = pos_;
    int checked = pos_;
    int keySeen = -1;
    while (nonTone < kToneEndRuns) {
        if (e.pairedEnd < 0 && pos_ - checked >= kKeyCheckStep && pos_ - kKeyCheckSpan >= skipFrom) {
            checked = pos_;
            if (!KeyAt(pos_ - kKeyCheckSpan, true)) {
                keySeen = -1;
            } else if (keySeen < 0) {
                keySeen = pos_ - kKeyCheckSpan;
            } else {
                e.plain = e.paired = keySeen;
                e.pairedEnd = e.plain;
                break;
            }
        }
        const int negative = pos_;
        while (pos_ < end_ && area_[pos_] <= 0) ++pos_;
        if (pos_ >= end_) break;
        if (pending >= 0 && e.pairedEnd < 0) {
            const int g = pos_ - negative;
            if (g >= kMinToneHalf && g <= kMaxToneHalf) {
                e.paired = pending;
                pairedNonTone = 0;
            } else if (++pairedNonTone >= kToneEndRuns) {
                e.pairedEnd = pos_;
            }
        }
        pending = -1;
        if (e.pairedEnd >= 0 && pos_ - e.pairedEnd > kPlainEndGrace) {
            e.plain = e.paired;  // a key under way: its own level gives T
            break;
        }
        const int start = pos_;
        while (pos_ < end_ && area_[pos_] > 0) ++pos_;
        if (pos_ >= end_) break;
        const int h = pos_ - start;
        if (h >= kMinToneHalf && h <= kMaxToneHalf) {
            e.plain = pos_;
            nonTone = 0;
            pending = pos_;
        } else {
            ++nonTone;
            if (e.pairedEnd < 0 && ++pairedNonTone >= kToneEndRuns) e.pairedEnd = pos_;
        }
    }
    return e;
}

// The search starts at the paired end; T is taken where the plain count
// ends, unless that comes too long after.
DialDigitDecoder::Step DialDigitDecoder::SkipStep() {
    ToneEnd e = CountToneHalfWaves();
    if (pos_ >= end_) {
        if (e.pairedEnd < 0 && !KeyAtTheEnd()) {
            state_ = DialScanState::SkipTone;
            return Step::Stop;
        }
        e.plain = e.paired;  // the block ends within the key: do not lose it
    }
    const int from = (e.pairedEnd >= 0 ? e.paired : e.plain) + kThresholdDelay;
    if (e.plain + kThresholdDelay + kThresholdSpan > end_) {
        // A key under way at the paired end is kept for the next block
        // rather than left in the history.
        if (e.pairedEnd >= 0 && from < end_) Carry(from, DialScanState::ThresholdNextBlock);
        else state_ = DialScanState::ThresholdNextBlock;
        return Step::Stop;
    }
    if (DialToneGoesOn(from)) {
        // Skip on from where the paired count ended: the plain one may have
        // run on into a key that began under the tone.
        pos_ = std::max(e.pairedEnd >= 0 ? e.pairedEnd : pos_, from);
        return Step::Skip;
    }
    SetThresholdFrom(e.plain + kThresholdDelay);
    if (from + kThresholdSpan <= end_) {
        // The plain end may lie past the key, in its pause.
        const int atKey = burstThreshold_;
        SetThresholdFrom(from);
        if (2 * atKey >= burstThreshold_) burstThreshold_ = atKey;
    }
    pos_ = from;
    return Step::Search;
}

}  // namespace suite
