#include "calibration/level_calibration.h"

#include "calibration/calibration_texts.h"

namespace suite {
namespace {

constexpr uint32_t kNoiseMs = 3000;      // on-hook measurement
constexpr uint32_t kToneMs = 3000;       // tone measurement
constexpr uint32_t kToneCheckMs = 1000;  // a tone must show within this
constexpr float kVolumeStep = 0.01f;
constexpr int kClipStepsWithoutFinalStep = 100;

}  // namespace

int BlockPeak(const int16_t* samples, size_t count) {
    int peak = 0;
    for (size_t i = 0; i < count; ++i) {
        int s = samples[i];
        // The complement maps -32768 to 32767, so a negative full scale reads 127.
        int magnitude = s >= 0 ? s : ~s;
        if (magnitude > peak) peak = magnitude;
    }
    return peak >> 8;
}

void TakeBlock(const int16_t* buffer, bool stereo, int16_t* block) {
    const int stride = stereo ? 2 : 1;
    for (int i = 0; i < kCalibrationFrames; ++i) block[i] = buffer[i * stride];
}

LevelReport ChooseReport(int maxPeak) {
    if (maxPeak >= 33 && maxPeak <= 63) return LevelReport::BelowHalf;
    if (maxPeak >= 1 && maxPeak <= 31) return LevelReport::BelowQuarter;
    return LevelReport::None;
}

const char* ReportText(LevelReport report) {
    switch (report) {
    case LevelReport::BelowHalf: return kBelowHalfText;
    case LevelReport::BelowQuarter: return kBelowQuarterText;
    case LevelReport::None: break;
    }
    return nullptr;
}

float StepVolume(float scalar, float delta) {
    float v = scalar + delta;
    if (v < 0.0f) return 0.0f;
    if (v > 1.0f) return 1.0f;
    return v;
}

void TakeReportedBuffer(ReportedBuffers& capture, const void* header, LevelCalibration* calibration) {
    // Once re-queued the buffer belongs to the driver again: measure first.
    const int16_t* block = capture.Reported(header);
    if (block && calibration) calibration->OnBuffer(block, capture.Stereo());
    capture.Requeue(header);
}

void LevelCalibration::OnBuffer(const int16_t* buffer, bool stereo) {
    int16_t block[kCalibrationFrames];
    TakeBlock(buffer, stereo, block);
    OnBlock(block);
}

void LevelCalibration::OnBlock(const int16_t* block) {
    int peak = BlockPeak(block, kCalibrationFrames);
    if (peak > maxPeak_) maxPeak_ = peak;
    if (!measuring_) return;
    if (peak < previousPeak_ / 2) steady_ = false;
    previousPeak_ = peak;
    if (peak > noiseLevel_) ++aboveNoise_;
    if (peak == kClippedPeak) {
        volume_.SetMasterVolume(StepVolume(volume_.MasterVolume(), -kVolumeStep));
        ++clipSteps_;
    }
}

void LevelCalibration::StartNoisePhase() { maxPeak_ = 0; }

void LevelCalibration::EndNoisePhase() { noiseLevel_ = maxPeak_; }

void LevelCalibration::StartTonePhase() {
    measuring_ = true;
    maxPeak_ = 0;
    previousPeak_ = 0;
    steady_ = true;
    aboveNoise_ = 0;
}

bool LevelCalibration::WaitForTone(CalibrationHost& host) {
    const uint32_t t0 = host.NowMs();
    for (;;) {
        uint32_t elapsed = host.NowMs() - t0;
        if (elapsed >= kToneMs) return true;
        if (aboveNoise_ == 0 && elapsed >= kToneCheckMs) return false;
        // Wake at the one-second check while no tone has been heard yet.
        uint32_t until = aboveNoise_ == 0 ? kToneCheckMs : kToneMs;
        host.Pump(until - elapsed);
    }
}

CalibrationResult LevelCalibration::Run(CalibrationHost& host) {
    const float savedVolume = volume_.MasterVolume();
    const bool savedMute = volume_.Muted();
    volume_.SetMasterVolume(1.0f);
    volume_.SetMuted(false);
    clipSteps_ = 0;

    for (;;) {
        measuring_ = false;
        if (host.Ask(kIntroText)) host.Tell(kHowToText);
        host.Tell(kOnHookText);

        StartNoisePhase();
        const uint32_t start = host.NowMs();
        for (uint32_t elapsed = 0; elapsed <= kNoiseMs; elapsed = host.NowMs() - start)
            host.Pump(kNoiseMs + 1 - elapsed);
        EndNoisePhase();

        host.Tell(kStartText);
        StartTonePhase();
        if (!WaitForTone(host)) {
            StopMeasuring();
            host.Tell(kNoDialToneText);
            volume_.SetMasterVolume(savedVolume);
            volume_.SetMuted(savedMute);
            return CalibrationResult::NoDialTone;
        }

        StopMeasuring();
        host.Beep(5000, 100);
        host.Beep(3000, 200);
        host.Tell(kReleaseText);
        if (steady_) break;
        host.Tell(kTooShortText);
    }

    // Cut to 0 and still clipping: left there, the recorder would hear
    // nothing at all. The user's own volume is the better one to keep.
    if (clipSteps_ >= kClipStepsWithoutFinalStep) {
        host.Tell(kClippedAtLowestText);
        volume_.SetMasterVolume(savedVolume);
        volume_.SetMuted(savedMute);
        return CalibrationResult::ClippedAtLowest;
    }
    // MaxPeak includes the blocks that arrived while the last message was up.
    if (const char* text = ReportText(ChooseReport(maxPeak_))) host.Tell(text);
    // One step back from the last reduction.
    volume_.SetMasterVolume(StepVolume(volume_.MasterVolume(), kVolumeStep));
    return CalibrationResult::Calibrated;
}

}  // namespace suite
