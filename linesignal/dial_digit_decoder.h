// Dialled digit decoder: skips the dial tone, finds each DTMF burst in the
// blocks of an outgoing call, names its digit from a 1024-point transform and
// decides when the number is complete (16 quiet blocks, or the ringing tone).
#pragma once
#include <cstddef>
#include <cstdint>

#include "linesignal/line_signal.h"

namespace suite {

// The two strongest bins more than 3 bins apart, over bins 0..511.
struct DtmfPeaks {
    int low = 0;
    int high = 0;
};

// Power spectrum of 512 samples taken twice in succession: 1024 bins,
// 7.8125 Hz apart, each (re² + im²) truncated, samples scaled by 1/20000.
// Only the even bins can be non-zero, so it is a 512-point transform from a
// table of cosines; decisions equal those of the direct 1024 × 1024 sum.
class DtmfTransform {
public:
    static constexpr int kBins = 1024;
    static constexpr int kSamples = 512;

    DtmfTransform();
    void Compute(const int16_t* samples, int32_t* spectrum) const;

private:
    double cos_[kSamples];
    double sin_[kSamples];
};

DtmfPeaks PickDtmfPeaks(const int32_t* spectrum);
// "1".."9", "0", "＊", "＃" for a DTMF pair, nullptr for anything else.
const char* DtmfDigitFor(DtmfPeaks peaks);
// True for a pair around 400 Hz (about 360..450 Hz), the dial or ringing tone.
bool IsCallProgressTone(DtmfPeaks peaks);

// The digit of a spectrum whose low and high tone, each picked in its own
// band, stand out from the rest as a key's do (share of the power, twist,
// nothing else strong in either band); nullptr otherwise, and for the
// fourth column.
const char* ValidatedDtmfDigit(const int32_t* spectrum);
// True when the power around 400 Hz (about 360..450 Hz) dominates.
bool HoldsCallProgressTone(const int32_t* spectrum);

// The dial-tone test of a recording's first block: the half-wave count of
// HasDialTone, or, where noise breaks the half-waves up, a tone near 400 Hz
// that stands far above every other frequency for 128 ms on end. True for
// an outgoing call, with *startHint (1..count) where the decoder starts to
// skip the tone; false with *startHint 0.
bool DialToneTest(const int16_t* samples, size_t count, int* startHint);

enum class DialScanState {
    SearchBurst,         // look for the start of a burst
    AwaitGap,            // wait for the pause after a burst
    SkipTone,            // skip a 400 Hz tone
    ConfirmCarried,      // burst found too near the block end to confirm
    TransformCarried,    // confirmed burst without its 512 samples yet
    ThresholdNextBlock,  // tone ended too near the block end to measure T
};

class DialDigitDecoder {
public:
    static constexpr int kHistory = 300;  // samples kept before the new block

    // buffer (its front) and callNumber must outlive the decoder.
    DialDigitDecoder(LineAnalysisBuffer& buffer, CallNumberText& callNumber);
    DialDigitDecoder(const DialDigitDecoder&) = delete;
    DialDigitDecoder& operator=(const DialDigitDecoder&) = delete;

    // Start of a recording: scan state, DialComplete and DialCountdown reset,
    // StartHint = where the dial tone test stopped in the first block.
    // The caller empties CallNumber.
    void StartCall(int startHint);

    // Examines the next block (kBlockSamples samples): appends recognised
    // digits to CallNumber and sets DialComplete when the number is complete.
    // A key off the table's tones empties CallNumber and keeps it empty.
    void Decode(const int16_t* block);

    bool DialComplete() const { return dialComplete_; }
    int BurstThreshold() const { return burstThreshold_; }
    int DialCountdown() const { return dialCountdown_; }
    int StartHint() const { return startHint_; }
    DialScanState ScanState() const { return state_; }
    const int32_t* DtmfSpectrum() const { return spectrum_; }

private:
    // The steps of the scan; each returns the next, Stop when the block is done.
    enum class Step { Search, Confirm, Transform, Gap, Skip, Stop };
    // Where a dial tone ended by the half-wave counts: the plain and the
    // paired count's last tone half-wave, and where the paired count ended
    // (-1 while it goes on).
    struct ToneEnd {
        int plain = 0;
        int paired = 0;
        int pairedEnd = -1;
    };
    Step Resume();
    Step SearchStep();
    Step ConfirmStep();
    Step TransformStep();
    Step GapStep();
    Step SkipStep();
    ToneEnd CountToneHalfWaves();

    void PlaceBlock(const int16_t* block);
    void Carry(int p, DialScanState next);
    void SetThresholdFrom(int p);
    void RaiseThresholdTo(int p);
    bool ToneIsModulated(int p) const;
    bool EnvelopeIsModulated(int p) const;
    bool LoudAround(int p, int threshold) const;
    bool DialToneGoesOn(int p) const;
    bool KeyAtTheEnd() const;
    bool KeyAt(int p, bool owning) const;
    void AppendDigit(const char* digit);
    void DoubtNumber();

    int16_t* area_;                  // front of LineAnalysisBuffer
    char* callNumber_;
    DtmfTransform transform_;
    int32_t spectrum_[DtmfTransform::kBins] = {};

    DialScanState state_ = DialScanState::SearchBurst;
    int end_ = kHistory + kBlockSamples;  // END: one past the last valid sample
    int carried_ = 0;                // samples of a carried burst at 300..
    int burstThreshold_ = 1;         // T, sample magnitude
    int quiet_ = 0;                  // samples below T in AwaitGap
    int dialCountdown_ = 0;          // calls left until complete, after a digit
    bool dialComplete_ = false;
    bool doubted_ = false;           // a key off the table was heard: no number
    int startHint_ = 0;              // block position; negated once used
    // Within one Decode call:
    int pos_ = kHistory;             // scan position in the area
    int retryUntil_ = 0;             // a first key's transform may be tried again before this
};

}  // namespace suite
