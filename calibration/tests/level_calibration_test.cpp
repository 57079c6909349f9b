#include "calibration/level_calibration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "calibration/calibration_texts.h"

using namespace suite;

namespace {

// A block whose Peak is exactly peak, with positive and negative samples.
std::vector<int16_t> BlockOfPeak(int peak) {
    std::vector<int16_t> block(kCalibrationFrames);
    const int high = peak << 8;
    for (int i = 0; i < kCalibrationFrames; ++i)
        block[i] = static_cast<int16_t>(i % 2 ? high : ~high);
    return block;
}

// A driver that refills a buffer the moment it is handed back.
TEST(LevelCalibrationTest, AReportedBufferIsMeasuredBeforeTheDriverGetsItBack) {
    struct EagerDriver : ReportedBuffers {
        std::vector<int16_t> buffer = BlockOfPeak(40);
        const int16_t* Reported(const void* h) const override { return h == this ? buffer.data() : nullptr; }
        bool Stereo() const override { return false; }
        void Requeue(const void*) override { buffer = BlockOfPeak(127); }
    } driver;
    struct NoVolume : CaptureVolume {
        float MasterVolume() override { return 1; }
        void SetMasterVolume(float) override {}
        bool Muted() override { return false; }
        void SetMuted(bool) override {}
    } volume;
    LevelCalibration calibration(volume);
    TakeReportedBuffer(driver, &driver, &calibration);
    EXPECT_EQ(calibration.MaxPeak(), 40);
    TakeReportedBuffer(driver, nullptr, &calibration);  // a foreign header is not measured
    EXPECT_EQ(calibration.MaxPeak(), 40);
}

class FakeVolume : public CaptureVolume {
public:
    float volume = 0.6f;
    bool muted = true;
    std::vector<float> writes;  // every volume written, in order

    float MasterVolume() override { return volume; }
    void SetMasterVolume(float scalar) override {
        volume = scalar;
        writes.push_back(scalar);
    }
    bool Muted() override { return muted; }
    void SetMuted(bool m) override { muted = m; }
};

// What the line carries at one block of the tone phase (from the user's OK
// on the start message until the OK on the release message).
struct ToneBlock {
    int attempt;  // 1 for the first tone phase of the run
    int index;    // blocks of this tone phase before this one
    uint32_t ms;  // since the OK on the start message
};

// A line and a user who follows the messages: blocks every 25 ms, on-hook
// noise until the start message is answered, the scenario's tone until the
// release message is answered, and each message box read for readMs.
class FakeHost : public CalibrationHost {
public:
    explicit FakeHost(LevelCalibration& calibration) : calibration_(calibration) {}

    int onHookPeak = 0;
    std::function<int(const ToneBlock&)> tone = [](const ToneBlock&) { return 90; };
    bool answerYes = false;
    uint32_t readMs = 400;

    std::vector<std::string> messages;
    std::vector<uint32_t> messageTimes;
    std::vector<std::pair<uint32_t, uint32_t>> beeps;
    uint32_t toneStart = 0;  // clock at the latest OK on the start message

    void Tell(const char* text) override { Show(text); }
    bool Ask(const char* text) override {
        Show(text);
        return answerYes;
    }
    uint32_t NowMs() override { return Clock(now_); }
    void Pump(uint32_t maxWaitMs) override {
        if (maxWaitMs == 0) throw std::logic_error("Pump(0) would spin");
        AdvanceTo(std::min(now_ + maxWaitMs, nextBlock_));
    }
    void Beep(uint32_t hz, uint32_t ms) override { beeps.emplace_back(hz, ms); }

private:
    void Show(const char* text) {
        messages.push_back(text);
        messageTimes.push_back(Clock(now_));
        if (messages.size() > 60) throw std::runtime_error("the dialogue does not end");
        AdvanceTo(now_ + readMs);  // blocks keep arriving inside the message box
        if (messages.back() == kStartText) {
            ++attempt_;
            toneIndex_ = 0;
            toneStart = Clock(now_);
            offHook_ = true;
        } else if (messages.back() == kReleaseText) {
            offHook_ = false;
        }
    }

    // The program sees a 32-bit clock that wraps during the first on-hook phase.
    static uint32_t Clock(uint64_t t) { return static_cast<uint32_t>(t + 0xFFFFFFFFu - 2300); }

    void AdvanceTo(uint64_t t) {
        while (nextBlock_ <= t) {
            now_ = nextBlock_;
            nextBlock_ += 25;
            int peak = offHook_ ? tone(ToneBlock{attempt_, toneIndex_++, Clock(now_) - toneStart}) : onHookPeak;
            calibration_.OnBlock(BlockOfPeak(peak).data());
        }
        now_ = t;
    }

    LevelCalibration& calibration_;
    uint64_t now_ = 0;  // ms
    uint64_t nextBlock_ = 10;
    bool offHook_ = false;
    int attempt_ = 0;
    int toneIndex_ = 0;
};

size_t Count(const std::vector<std::string>& v, const char* text) {
    size_t n = 0;
    for (const auto& s : v) n += s == text;
    return n;
}

// Measuring on, with a chosen noise level, outside of Run.
void EnterTonePhase(LevelCalibration& c, int noise) {
    c.StartNoisePhase();
    c.OnBlock(BlockOfPeak(noise).data());
    c.EndNoisePhase();
    c.StartTonePhase();
}

}  // namespace

TEST(CalibrationBlock, PeakUsesTheComplementOfNegativeSamples) {
    struct Case {
        std::vector<int16_t> samples;
        int peak;
    } cases[] = {
        {{0, 0, 0}, 0},
        {{255}, 0},
        {{256}, 1},
        {{-256}, 0},  // ~-256 = 255
        {{-257}, 1},
        {{32767}, 127},
        {{-32768}, 127},
        {{-32512}, 126},  // ~-32512 = 32511
        {{-32513}, 127},
        {{100, -20000, 5000, 19999}, 78},
        {{1, 2, 3, 0x3FFF}, 63},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlockPeak(c.samples.data(), c.samples.size()), c.peak) << "first sample " << c.samples[0];
}

TEST(CalibrationBlock, TakesTheLeftChannelOfStereoAndMonoAsIs) {
    // Exactly sized, so the sanitizer build catches a read past the buffer.
    std::vector<int16_t> stereo(2 * kCalibrationFrames), mono(kCalibrationFrames);
    for (int i = 0; i < kCalibrationFrames; ++i) {
        stereo[2 * i] = static_cast<int16_t>(i);
        stereo[2 * i + 1] = -30000;
        mono[i] = static_cast<int16_t>(-i);
    }
    int16_t block[kCalibrationFrames];
    TakeBlock(stereo.data(), true, block);
    for (int i = 0; i < kCalibrationFrames; ++i) ASSERT_EQ(block[i], i);
    TakeBlock(mono.data(), false, block);
    for (int i = 0; i < kCalibrationFrames; ++i) ASSERT_EQ(block[i], -i);

    // The loud right channel must not count.
    FakeVolume volume;
    LevelCalibration c(volume);
    c.OnBuffer(stereo.data(), true);
    EXPECT_EQ(c.MaxPeak(), 0);
}

TEST(CalibrationBlock, OutsideTheTonePhaseOnlyMaxPeakMoves) {
    FakeVolume volume;
    LevelCalibration c(volume);
    c.OnBlock(BlockOfPeak(127).data());
    c.OnBlock(BlockOfPeak(3).data());
    EXPECT_EQ(c.MaxPeak(), 127);
    EXPECT_EQ(c.ClipSteps(), 0);
    EXPECT_EQ(c.AboveNoise(), 0);
    EXPECT_TRUE(volume.writes.empty());
}

TEST(CalibrationBlock, SteadinessAndAboveNoiseInTheTonePhase) {
    FakeVolume volume;
    LevelCalibration c(volume);
    EnterTonePhase(c, 10);
    EXPECT_EQ(c.NoiseLevel(), 10);
    EXPECT_EQ(c.MaxPeak(), 0);
    c.OnBlock(BlockOfPeak(10).data());  // equal to the noise: not above it
    EXPECT_EQ(c.AboveNoise(), 0);
    c.OnBlock(BlockOfPeak(81).data());
    c.OnBlock(BlockOfPeak(40).data());  // 40 is not below 81 / 2 = 40
    EXPECT_TRUE(c.Steady());
    EXPECT_EQ(c.AboveNoise(), 2);
    c.OnBlock(BlockOfPeak(19).data());  // below 40 / 2
    EXPECT_FALSE(c.Steady());
    c.OnBlock(BlockOfPeak(100).data());  // a recovery does not make it steady again
    EXPECT_FALSE(c.Steady());
    EXPECT_EQ(c.MaxPeak(), 100);
}

TEST(CalibrationBlock, ClippedBlocksStepTheVolumeDownAndStopAtZero) {
    FakeVolume volume;
    volume.volume = 0.025f;
    LevelCalibration c(volume);
    EnterTonePhase(c, 0);
    for (int i = 0; i < 4; ++i) c.OnBlock(BlockOfPeak(127).data());
    c.OnBlock(BlockOfPeak(126).data());
    ASSERT_EQ(volume.writes.size(), 4u);
    EXPECT_NEAR(volume.writes[0], 0.015f, 1e-6);
    EXPECT_NEAR(volume.writes[1], 0.005f, 1e-6);
    EXPECT_EQ(volume.writes[2], 0.0f);
    EXPECT_EQ(volume.writes[3], 0.0f);
    EXPECT_EQ(c.ClipSteps(), 4);
}

TEST(CalibrationReport, ChoiceByMaxPeak) {
    struct Case {
        int maxPeak;
        LevelReport report;
    } cases[] = {
        {0, LevelReport::None},          {1, LevelReport::BelowQuarter}, {20, LevelReport::BelowQuarter},
        {31, LevelReport::BelowQuarter}, {32, LevelReport::None},         {33, LevelReport::BelowHalf},
        {40, LevelReport::BelowHalf},    {63, LevelReport::BelowHalf},    {64, LevelReport::None},
        {127, LevelReport::None},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseReport(c.maxPeak), c.report) << "MaxPeak " << c.maxPeak;
    EXPECT_EQ(ReportText(LevelReport::None), nullptr);
}

TEST(CalibrationDialogue, ASteadyToneRunsTheWholeDialogue) {
    FakeVolume volume;
    LevelCalibration c(volume);
    FakeHost host(c);
    host.onHookPeak = 5;
    EXPECT_EQ(c.Run(host), CalibrationResult::Calibrated);
    std::vector<std::string> expected = {kIntroText, kOnHookText, kStartText, kReleaseText};
    EXPECT_EQ(host.messages, expected);
    EXPECT_EQ(c.NoiseLevel(), 5);
    // Three seconds of noise measurement, three of tone.
    EXPECT_GE(host.messageTimes[2] - host.messageTimes[1], host.readMs + 3000);
    EXPECT_LE(host.messageTimes[2] - host.messageTimes[1], host.readMs + 3025);
    EXPECT_GE(host.messageTimes[3] - host.toneStart, 3000u);
    EXPECT_LE(host.messageTimes[3] - host.toneStart, 3025u);
    std::vector<std::pair<uint32_t, uint32_t>> beeps = {{5000, 100}, {3000, 200}};
    EXPECT_EQ(host.beeps, beeps);
    // Full volume and unmuted for the measurement; no clipping, so the
    // final step finds the volume at the top and it stays unmuted.
    ASSERT_FALSE(volume.writes.empty());
    EXPECT_EQ(volume.writes.front(), 1.0f);
    EXPECT_EQ(volume.volume, 1.0f);
    EXPECT_FALSE(volume.muted);
    EXPECT_FALSE(c.Measuring());
}

TEST(CalibrationDialogue, YesShowsHowToChooseTheDevice) {
    FakeVolume volume;
    LevelCalibration c(volume);
    FakeHost host(c);
    host.answerYes = true;
    c.Run(host);
    ASSERT_GE(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[0], kIntroText);
    EXPECT_EQ(host.messages[1], kHowToText);
    EXPECT_EQ(host.messages[2], kOnHookText);
}

TEST(CalibrationDialogue, ClippingInEveryBlockLowersTheVolumeToZeroThenSaysSoAndRestores) {
    FakeVolume volume;
    LevelCalibration c(volume);
    FakeHost host(c);
    host.tone = [](const ToneBlock&) { return 127; };
    EXPECT_EQ(c.Run(host), CalibrationResult::ClippedAtLowest);
    // 25 ms blocks for three seconds: 120 clipped blocks, one step each.
    EXPECT_GE(c.ClipSteps(), 120);
    EXPECT_LE(c.ClipSteps(), 121);
    // 1.0 at the start, one write per clipped block, then the user's volume back.
    ASSERT_EQ(volume.writes.size(), static_cast<size_t>(c.ClipSteps()) + 2);
    float previous = volume.writes[0];
    for (size_t i = 1; i + 1 < volume.writes.size(); ++i) {
        if (previous >= 0.01f) EXPECT_NEAR(volume.writes[i], previous - 0.01f, 1e-5) << "block " << i;
        else EXPECT_EQ(volume.writes[i], 0.0f) << "block " << i;
        previous = volume.writes[i];
    }
    EXPECT_EQ(previous, 0.0f);
    // Left at 0 the recorder would hear nothing: the user is told, and gets
    // the volume and mute of the start back.
    EXPECT_EQ(volume.volume, 0.6f);
    EXPECT_TRUE(volume.muted);
    EXPECT_EQ(host.messages.back(), kClippedAtLowestText);
    EXPECT_EQ(Count(host.messages, kBelowHalfText) + Count(host.messages, kBelowQuarterText), 0u);
}

TEST(CalibrationDialogue, FinalStepBelowOneHundredClippedBlocksTheUsersVolumeFromThere) {
    for (int clipped : {1, 99, 100, 110}) {
        FakeVolume volume;
        LevelCalibration c(volume);
        FakeHost host(c);
        host.tone = [clipped](const ToneBlock& b) { return b.index < clipped ? 127 : 100; };
        EXPECT_EQ(c.Run(host), clipped < 100 ? CalibrationResult::Calibrated : CalibrationResult::ClippedAtLowest);
        EXPECT_EQ(c.ClipSteps(), clipped);
        float expected = clipped < 100 ? 1.0f - 0.01f * clipped + 0.01f : 0.6f;
        EXPECT_NEAR(volume.volume, expected, 1e-4) << clipped << " clipped blocks";
        EXPECT_EQ(Count(host.messages, kClippedAtLowestText), clipped < 100 ? 0u : 1u) << clipped;
    }
}

TEST(CalibrationDialogue, ReportsAWeakDevice) {
    struct Case {
        int tonePeak;
        const char* report;
    } cases[] = {
        {40, kBelowHalfText}, {20, kBelowQuarterText}, {32, nullptr}, {64, nullptr}, {63, kBelowHalfText},
    };
    for (const auto& k : cases) {
        FakeVolume volume;
        LevelCalibration c(volume);
        FakeHost host(c);
        host.tone = [&k](const ToneBlock&) { return k.tonePeak; };
        EXPECT_EQ(c.Run(host), CalibrationResult::Calibrated);
        std::vector<std::string> expected = {kIntroText, kOnHookText, kStartText, kReleaseText};
        if (k.report) expected.push_back(k.report);
        EXPECT_EQ(host.messages, expected) << "tone at " << k.tonePeak;
    }
}

TEST(CalibrationDialogue, TheReportCountsBlocksWhileTheReleaseMessageIsUp) {
    FakeVolume volume;
    LevelCalibration c(volume);
    FakeHost host(c);
    // Weak during the three seconds, louder while the last message is read.
    host.tone = [](const ToneBlock& b) { return b.ms < 3100 ? 20 : 40; };
    c.Run(host);
    EXPECT_EQ(host.messages.back(), kBelowHalfText);
    EXPECT_TRUE(c.Steady());  // louder later never breaks steadiness
}

TEST(CalibrationDialogue, ADropBelowHalfRetriesAndClipStepsCarryOver) {
    FakeVolume volume;
    LevelCalibration c(volume);
    FakeHost host(c);
    host.onHookPeak = 3;
    // First attempt: 30 clipped blocks, then the key is released too early.
    // Second: 70 more clipped blocks, then a steady tone.
    host.tone = [](const ToneBlock& b) {
        if (b.attempt == 1) return b.index < 30 ? 127 : 4;
        return b.index < 70 ? 127 : 100;
    };
    EXPECT_EQ(c.Run(host), CalibrationResult::ClippedAtLowest);
    std::vector<std::string> expected = {kIntroText,   kOnHookText, kStartText,  kReleaseText, kTooShortText,
                                         kIntroText,   kOnHookText, kStartText,  kReleaseText, kClippedAtLowestText};
    EXPECT_EQ(host.messages, expected);
    EXPECT_EQ(c.ClipSteps(), 100);
    // The second attempt continued from 0.70 down to 0: 100 steps in all
    // reach the bottom, and the volume of the start comes back.
    ASSERT_GE(volume.writes.size(), 2u);
    EXPECT_NEAR(volume.writes[volume.writes.size() - 2], 0.0f, 1e-4);
    EXPECT_EQ(volume.volume, 0.6f);
    EXPECT_EQ(volume.writes.front(), 1.0f);
    EXPECT_EQ(std::count(volume.writes.begin(), volume.writes.end(), 1.0f), 1);
}

TEST(CalibrationDialogue, ANoisyLineEndsTheRunAfterOneSecondAndRestores) {
    struct Case {
        int noise, tone;
        CalibrationResult result;
    } cases[] = {
        {50, 50, CalibrationResult::NoDialTone},
        {50, 51, CalibrationResult::Calibrated},
        {127, 127, CalibrationResult::NoDialTone},
        {0, 0, CalibrationResult::NoDialTone},
    };
    for (const auto& k : cases) {
        FakeVolume volume;
        LevelCalibration c(volume);
        FakeHost host(c);
        host.onHookPeak = k.noise;
        host.tone = [&k](const ToneBlock&) { return k.tone; };
        ASSERT_EQ(c.Run(host), k.result) << "noise " << k.noise << " tone " << k.tone;
        EXPECT_EQ(c.NoiseLevel(), k.noise);
        if (k.result == CalibrationResult::Calibrated) continue;
        std::vector<std::string> expected = {kIntroText, kOnHookText, kStartText, kNoDialToneText};
        EXPECT_EQ(host.messages, expected);
        uint32_t after = host.messageTimes.back() - host.toneStart;
        EXPECT_GE(after, 1000u);
        EXPECT_LT(after, 1025u);
        EXPECT_TRUE(host.beeps.empty());
        EXPECT_EQ(volume.volume, 0.6f);
        EXPECT_TRUE(volume.muted);
    }
}

TEST(CalibrationDialogue, OnlyTheFirstSecondDecidesWhetherAToneIsThere) {
    for (uint32_t onset : {25u, 975u, 1050u, 2000u}) {
        FakeVolume volume;
        LevelCalibration c(volume);
        FakeHost host(c);
        host.tone = [onset](const ToneBlock& b) { return b.ms < onset ? 0 : 90; };
        CalibrationResult r = c.Run(host);
        EXPECT_EQ(r, onset <= 1000 ? CalibrationResult::Calibrated : CalibrationResult::NoDialTone)
            << "tone from " << onset << " ms";
    }
}

TEST(CalibrationDialogue, NoDialToneOnARetryRestoresTheVolumeOfTheStart) {
    FakeVolume volume;
    volume.volume = 0.35f;
    volume.muted = false;
    LevelCalibration c(volume);
    FakeHost host(c);
    host.tone = [](const ToneBlock& b) {
        if (b.attempt == 1) return b.index < 30 ? 127 : 0;
        return 0;
    };
    EXPECT_EQ(c.Run(host), CalibrationResult::NoDialTone);
    EXPECT_EQ(Count(host.messages, kTooShortText), 1u);
    EXPECT_EQ(host.messages.back(), kNoDialToneText);
    EXPECT_EQ(c.ClipSteps(), 30);
    EXPECT_EQ(volume.volume, 0.35f);
    EXPECT_FALSE(volume.muted);
}
