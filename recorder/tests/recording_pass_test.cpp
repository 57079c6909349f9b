#include "recorder/recording_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "recorder/tests/fake_clock.h"
#include "recorder/tests/pass_fakes.h"
#include "recorder/recorder_tick.h"
#include "common/settings_record.h"
#include "common/sjis_text.h"
#include "common/tests/test_folder.h"
#include "linesignal/signal_kit.h"
#include "linesignal/speech_like.h"
#include "common/text_convert.h"

using namespace suite;
using suite_test::FixedClock;
using suite_test::TestFolder;
using suite_test::AtLevel;
using suite_test::Block;
using suite_test::FakeField;
using suite_test::Filled;
using suite_test::QueueSource;

namespace {

// Positive half-waves of the given lengths, each followed by 10 samples
// below zero; the rest of the block zero.
Block HalfWaves(const std::vector<int>& lengths) {
    Block b(kBlockSampleCount, 0);
    size_t at = 0;
    for (int n : lengths) {
        for (int i = 0; i < n; ++i) b[at++] = 3000;
        for (int i = 0; i < 10; ++i) b[at++] = -3000;
    }
    return b;
}

// A recorder in its own folder, driven block by block with a tick after
// each, as the program's threads interleave at best.
struct Rig {
    TestFolder dir;
    FixedClock clock;
    RecorderShared shared;
    SettingsRecord record;
    FakeField field;
    std::unique_ptr<RecordingPass> pass;
    RecorderTick tick{shared};
    QueueSource source;
    std::vector<PassReport> saves;

    explicit Rig(int32_t command = kCommandAutomatic, int silenceChoice = 0) {
        record.MakeDefaults(WorkArea{0, 0, 1024, 768});
        record.record_folder().Set("通話記録\\");
        record.recording_format() = 0;
        record.silence_choice() = static_cast<uint8_t>(silenceChoice);
        pass = std::make_unique<RecordingPass>(shared, LinePassConfig(&record), clock, &field);
        shared.RecorderCommand.store(command);
        shared.MuteBuffers.store(0);
    }

    PassReport Feed(const Block& b) {
        source.blocks.push_back(b);
        PassReport r = pass->RunPass(source);
        if (r.saved) saves.push_back(r);
        HandOver h = tick.HandOverNumber(nullptr, NumberOutputTarget(), 2, false);
        if (h.showNumber) field.text = h.fieldText;
        tick.SilenceCountdownStep();
        return r;
    }
    void FeedMany(const Block& b, int n) {
        for (int i = 0; i < n; ++i) Feed(b);
    }
    // Feeds until a save or at most n blocks; the count fed.
    int FeedUntilSaved(const Block& b, int n) {
        size_t before = saves.size();
        for (int i = 1; i <= n; ++i) {
            Feed(b);
            if (saves.size() > before) return i;
        }
        return -1;
    }
    bool TempExists() { return suite_test::Utf8PathExists(SjisPathToUtf8(kTempRecordingPath)); }
};

TEST(BlockLevelTest, MagnitudesShiftedByEightBits) {
    struct Case {
        int16_t sample;
        int level;
    } cases[] = {{0, 0}, {-1, 0}, {255, 0}, {256, 1}, {-256, 0}, {-257, 1}, {32767, 127}, {-32768, 127}};
    for (const Case& c : cases) {
        Block b(kBlockSampleCount, 0);
        b[3999] = c.sample;
        EXPECT_EQ(BlockLevel(b.data(), b.size(), 0), c.level) << c.sample;
    }
    Block quiet(kBlockSampleCount, 0);
    EXPECT_EQ(BlockLevel(quiet.data(), quiet.size(), 7), 7);  // the decayed level stays
}

TEST(RecordingPassTest, ThresholdIsStrictAndALoudBlockDecays) {
    Rig rig(kCommandStop);
    rig.shared.LevelThreshold.store(10);
    rig.Feed(AtLevel(10));
    EXPECT_EQ(rig.shared.PeakLevel.load(), 10);
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 0);
    rig.Feed(AtLevel(11));
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 11);
    rig.Feed(AtLevel(0));  // 11 / 2 = 5: under the threshold
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 0);

    rig.shared.LevelThreshold.store(9);
    rig.Feed(AtLevel(20));
    rig.Feed(AtLevel(0));
    EXPECT_EQ(rig.shared.PeakLevel.load(), 10);  // from the decay alone
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 10);
    rig.Feed(AtLevel(0));
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 0);  // 5 <= 9
    EXPECT_EQ(rig.shared.RecordedBytes.load(), kNoRecordingBytes);  // stopped mode never records
    EXPECT_EQ(rig.shared.RecordingActive.load(), 0);
    EXPECT_EQ(rig.shared.BuffersSeen.load(), 6);
}

TEST(RecordingPassTest, FirstFifteenBlocksAfterStartNeverRecord) {
    Rig rig;
    rig.shared.MuteBuffers.store(kMuteBuffersAtStart);
    for (int i = 0; i < 15; ++i) {
        rig.Feed(Filled(20000));
        EXPECT_EQ(rig.shared.CurrentLevel.load(), 0) << i;
        EXPECT_EQ(rig.shared.RecordingActive.load(), 0) << i;
    }
    EXPECT_EQ(rig.shared.PeakLevel.load(), 78);  // measured all the same
    rig.Feed(Filled(20000));
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 78);
    EXPECT_EQ(rig.shared.RecordingActive.load(), 1);
    EXPECT_EQ(rig.shared.MuteBuffers.load(), 0);
}

TEST(RecordingPassTest, AutomaticRecordingEndsSilenceReloadLessOneSecondsAfterTheLastLoudBlock) {
    // 255: a damaged byte counts as the longest choice, 60 s.
    for (int choice : {0, 1, 255}) {
        Rig rig(kCommandAutomatic, choice);
        const int reload = (std::min(choice, 5) + 1) * 10;
        rig.Feed(AtLevel(0));  // applies the start command
        rig.Feed(AtLevel(11));
        EXPECT_EQ(rig.shared.SilenceCountdown.load(), reload);
        int fed = rig.FeedUntilSaved(AtLevel(0), 4 * reload);
        ASSERT_GT(fed, 0);
        ASSERT_EQ(rig.saves.size(), 1u);
        // Silent blocks written: (reload - 1) seconds, give or take the tick's phase.
        uint64_t written = fed - 1;
        EXPECT_GE(written, 2u * (reload - 1) - 1) << choice;
        EXPECT_LE(written, 2u * (reload - 1) + 1) << choice;
        std::vector<uint8_t> file = suite_test::ReadAllBytes(SjisPathToUtf8(rig.saves[0].savedPath));
        EXPECT_EQ(file.size(), 44 + 8000 * written);
        EXPECT_EQ(rig.shared.RecordedBytes.load(), kNoRecordingBytes);
        EXPECT_EQ(rig.shared.RecordingActive.load(), 0);
        EXPECT_FALSE(rig.TempExists());
        // Incoming without a number: named by the file name format.
        EXPECT_EQ(rig.saves[0].savedPath, "通話記録\\2026年12月\\07日14時05分33秒.wav");
        EXPECT_EQ(rig.saves[0].call.callNumber, kNumberUnreadable);
    }
}

TEST(RecordingPassTest, DialToneTestCountsThirteenHalfWavesOfSevenToFourteen) {
    int stop = -1;
    EXPECT_TRUE(HasDialTone(HalfWaves(std::vector<int>(13, 10)).data(), kBlockSampleCount, &stop));
    EXPECT_EQ(stop, 12 * 20 + 10);  // just past the thirteenth half-wave
    EXPECT_TRUE(HasDialTone(HalfWaves(std::vector<int>(13, 7)).data(), kBlockSampleCount, &stop));
    EXPECT_TRUE(HasDialTone(HalfWaves(std::vector<int>(13, 14)).data(), kBlockSampleCount, &stop));
    EXPECT_FALSE(HasDialTone(HalfWaves(std::vector<int>(13, 6)).data(), kBlockSampleCount, &stop));
    EXPECT_FALSE(HasDialTone(HalfWaves(std::vector<int>(13, 15)).data(), kBlockSampleCount, &stop));
    EXPECT_FALSE(HasDialTone(HalfWaves(std::vector<int>(12, 10)).data(), kBlockSampleCount, &stop));

    std::vector<int> broken(12, 10);
    broken.push_back(15);
    broken.insert(broken.end(), 12, 10);  // the count starts again after the long one
    EXPECT_FALSE(HasDialTone(HalfWaves(broken).data(), kBlockSampleCount, &stop));
    broken.push_back(10);
    EXPECT_TRUE(HasDialTone(HalfWaves(broken).data(), kBlockSampleCount, &stop));

    // A clean 400 Hz tone from the signal kit, noise, silence.
    std::vector<int16_t> tone = suite_test::ToPcm(suite_test::DialTone(500, -18));
    EXPECT_TRUE(HasDialTone(tone.data(), kBlockSampleCount, &stop));
    Block silence(kBlockSampleCount, 0);
    EXPECT_FALSE(HasDialTone(silence.data(), kBlockSampleCount, &stop));
    EXPECT_EQ(stop, 4000);
}

TEST(RecordingPassTest, FirstBlockDecidesTheDirection) {
    {
        Rig rig;
        rig.Feed(AtLevel(0));
        rig.Feed(AtLevel(50));
        PassReport r = rig.Feed(HalfWaves(std::vector<int>(13, 10)));
        EXPECT_TRUE(r.opened);
        EXPECT_EQ(rig.shared.IncomingCall.load(), 0);
        EXPECT_EQ(rig.pass->StartHint(), 250);
    }
    {
        Rig rig;
        rig.Feed(AtLevel(0));
        rig.Feed(AtLevel(50));
        std::vector<int> lengths(12, 10);
        lengths.push_back(15);
        PassReport r = rig.Feed(HalfWaves(lengths));
        EXPECT_TRUE(r.opened);
        EXPECT_EQ(rig.shared.IncomingCall.load(), 1);
        EXPECT_EQ(rig.pass->StartHint(), 0);
        // Later blocks of the same recording are not tested again.
        rig.Feed(HalfWaves(std::vector<int>(13, 10)));
        EXPECT_EQ(rig.shared.IncomingCall.load(), 1);
    }
}

// Noise breaks the dial tone's half-waves up; down to the tone at the
// noise's own power the spectrum still finds it, the call is outgoing and
// its keys are read. Nothing an incoming call begins with passes for it:
// the call arrival signal, the caller number (clean, noisy, clipped), speech.
TEST(RecordingPassTest, DialToneInNoiseStillMakesTheCallOutgoing) {
    using namespace suite_test;
    for (double toneSnr : {10.0, 4.0, 0.0}) {
        SCOPED_TRACE(testing::Message() << "dial tone " << toneSnr << " dB over the noise");
        Rig rig;
        rig.Feed(AtLevel(0));
        Signal s = DialTone(1030, -16);
        size_t at = SamplesFor(1000);
        for (char k : std::string("0312345")) {
            MixAt(s, DtmfKey(k, 100, -8, -6), at);
            at += SamplesFor(200);
        }
        s.resize(at + SamplesFor(9000), 0.0);
        std::mt19937 rng(static_cast<uint32_t>(toneSnr) + 1);
        AddWhiteNoise(s, NoiseRmsFor(-16, toneSnr), rng);
        for (const auto& block : ToBlocks(s)) rig.Feed(block);
        EXPECT_EQ(rig.shared.IncomingCall.load(), 0);
        EXPECT_EQ(rig.shared.ConfirmedNumber.Get(), "0312345");
    }

    // Every half-block phase of each signal, as the recording's first block.
    auto staysIncoming = [](const Signal& signal, const char* what) {
        const std::vector<int16_t> pcm = ToPcm(signal);
        int hint = -1;
        for (size_t at = 0; at + kBlockSampleCount <= pcm.size(); at += kBlockSampleCount / 2) {
            EXPECT_FALSE(DialToneTest(pcm.data() + at, kBlockSampleCount, &hint)) << what << " from " << at;
            EXPECT_EQ(hint, 0);
        }
    };
    std::mt19937 rng(9);
    for (double dbfs : {-6.0, 6.0}) {  // the call arrival signal, plain and clipped
        Signal car = Silence(500);
        for (size_t n = 0; n < car.size(); ++n) car[n] = AmplitudeAt(dbfs) * std::sin(6.283185307179586 * 16 * n / kRate);
        car.resize(SamplesFor(1500), 0.0);
        staysIncoming(car, "call arrival signal");
    }
    for (double dbfs : {-20.0, -6.0, 3.0}) {
        for (double snr : {1000.0, 10.0}) {
            FskOptions fsk;
            fsk.levelDbfs = dbfs;
            Signal s = Silence(300);
            Append(s, FskBurst(CallerFrame("0312345678"), fsk));
            s.resize(SamplesFor(1500), 0.0);
            if (snr < 1000) AddWhiteNoise(s, NoiseRmsFor(dbfs, snr), rng);
            staysIncoming(s, "caller number");
        }
    }
    // A held vowel whose second harmonic, on 400 Hz, is its strongest, with
    // noise that breaks its half-waves up: the third harmonic, 8 dB weaker,
    // tells it from a tone.
    Signal vowel(SamplesFor(1500));
    double phase = 0;
    for (size_t n = 0; n < vowel.size(); ++n) {
        phase += 6.283185307179586 * (200 + 4 * std::sin(6.283185307179586 * 5 * n / kRate)) / kRate;
        for (int h = 1; h <= 15; ++h) {
            const double f = 200.0 * h;
            const double gain = 1 / (1 + std::pow((f - 450) / 100, 2)) + 0.5 / (1 + std::pow((f - 1100) / 150, 2));
            vowel[n] += 6000 * gain * std::sin(h * phase);
        }
    }
    AddWhiteNoise(vowel, NoiseRmsFor(-12, 10), rng);
    staysIncoming(vowel, "held vowel");
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const std::vector<int16_t> speech = SpeechLikeSamples(SamplesFor(8000), seed);
        staysIncoming(Signal(speech.begin(), speech.end()), "speech");
    }
}

TEST(RecordingPassTest, UnreadableAfterTheTenthFailedAttempt) {
    Rig rig;
    rig.Feed(AtLevel(0));
    rig.Feed(AtLevel(50));
    for (int i = 1; i <= 9; ++i) {
        rig.Feed(AtLevel(50));
        EXPECT_EQ(rig.pass->Attempts(), i);
        EXPECT_EQ(rig.shared.CallNumber.Get(), "");
    }
    rig.Feed(AtLevel(50));
    EXPECT_EQ(rig.shared.CallNumber.Get(), kNumberUnreadable);
    EXPECT_EQ(rig.shared.NumberReady.load(), 0);  // never confirmed
    rig.Feed(AtLevel(50));
    EXPECT_EQ(rig.pass->Attempts(), 10);
}

TEST(RecordingPassTest, CallerNumberIsConfirmedAndHandedOver) {
    using namespace suite_test;
    Rig rig;
    rig.Feed(AtLevel(0));
    rig.Feed(AtLevel(50));
    Signal s = Silence(200);
    Append(s, FskBurst(CallerFrame("0312345678")));
    auto blocks = ToBlocks(s, 2);
    int confirmedAt = -1;
    for (size_t i = 0; i < blocks.size(); ++i) {
        rig.source.blocks.push_back(blocks[i]);
        PassReport r = rig.pass->RunPass(rig.source);
        if (r.numberConfirmed) confirmedAt = static_cast<int>(i);
    }
    ASSERT_GE(confirmedAt, 0);
    EXPECT_EQ(rig.shared.NumberReady.load(), 1);
    EXPECT_EQ(rig.shared.ConfirmedNumber.Get(), "0312345678");
    EXPECT_EQ(rig.shared.CallNumber.Get(), "0312345678");
    // The next recording starts with everything cleared.
    rig.shared.RecorderCommand.store(kCommandStopAndSave);
    rig.FeedMany(AtLevel(0), 3);
    ASSERT_EQ(rig.saves.size(), 1u);
    EXPECT_EQ(rig.saves[0].savedPath, "通話記録\\2026年12月\\[着信]07日14時05分33秒-0312345678-.wav");
}

TEST(RecordingPassTest, ManualRecordsSilenceUntilStopped) {
    Rig rig(kCommandManual);
    rig.FeedMany(AtLevel(0), 80);  // longer than any countdown
    EXPECT_TRUE(rig.saves.empty());
    EXPECT_EQ(rig.shared.RecordedBytes.load(), 44 + 8000 * 78);
    EXPECT_TRUE(rig.pass->ManualRecording());

    rig.shared.RecorderCommand.store(kCommandStop);  // "録音中止"
    PassReport r = rig.Feed(AtLevel(0));
    EXPECT_TRUE(r.discarded);
    EXPECT_FALSE(rig.TempExists());
    EXPECT_EQ(rig.shared.RecordedBytes.load(), kNoRecordingBytes);
    EXPECT_EQ(rig.shared.SilenceCountdown.load(), 0);
    rig.FeedMany(AtLevel(60), 4);
    EXPECT_TRUE(rig.saves.empty());
    EXPECT_FALSE(suite_test::Utf8PathExists(SjisPathToUtf8("通話記録\\2026年12月")));

    rig.shared.RecorderCommand.store(kCommandManual);
    rig.FeedMany(AtLevel(0), 5);
    rig.shared.RecorderCommand.store(kCommandStopAndSave);  // "録音中止+保存"
    rig.Feed(AtLevel(0));
    EXPECT_EQ(rig.shared.RecorderCommand.load(), kCommandStop);
    EXPECT_EQ(rig.shared.RecorderMode.load(), kCommandStop);
    rig.Feed(AtLevel(0));
    ASSERT_EQ(rig.saves.size(), 1u);
    EXPECT_EQ(rig.saves[0].savedPath, "通話記録\\2026年12月\\07日14時05分33秒.wav");
    EXPECT_EQ(suite_test::ReadAllBytes(SjisPathToUtf8(rig.saves[0].savedPath)).size(), 44u + 8000u * 4);
    rig.FeedMany(AtLevel(60), 4);  // stopped afterwards
    EXPECT_EQ(rig.saves.size(), 1u);
    EXPECT_EQ(rig.shared.RecordedBytes.load(), kNoRecordingBytes);
}

TEST(RecordingPassTest, StopOnTheBlockThatDecidedLeavesNothingToOpen) {
    Rig rig;
    rig.Feed(AtLevel(0));
    rig.shared.RecorderCommand.store(kCommandStop);
    rig.Feed(AtLevel(50));  // decided, and the stop arrives in the same pass
    rig.FeedMany(AtLevel(0), 40);
    EXPECT_TRUE(rig.saves.empty());
    EXPECT_FALSE(rig.TempExists());
}

TEST(RecordingPassTest, SwitchingToManualKeepsTheRecordingOpen) {
    Rig rig;
    rig.Feed(AtLevel(0));
    rig.Feed(AtLevel(50));
    rig.FeedMany(AtLevel(50), 3);
    int32_t bytes = rig.shared.RecordedBytes.load();
    rig.shared.RecorderCommand.store(kCommandManual);
    rig.FeedMany(AtLevel(0), 60);
    EXPECT_TRUE(rig.saves.empty());
    EXPECT_EQ(rig.shared.RecordedBytes.load(), bytes + 8000 * 60);
    EXPECT_FALSE(rig.pass->ManualRecording());  // started automatically
}

// The pass itself empties the field, in the pass that writes the first
// block: no tick is needed.
TEST(RecordingPassTest, NumberFieldIsClearedOnceTheFirstBlockIsWritten) {
    Rig rig;
    rig.field.text = "前の録音";
    rig.Feed(AtLevel(0));
    rig.Feed(AtLevel(50));
    EXPECT_EQ(rig.field.text, "前の録音");
    rig.source.blocks.push_back(AtLevel(50));
    rig.pass->RunPass(rig.source);
    EXPECT_EQ(rig.shared.RecordedBytes.load(), 8044);
    EXPECT_EQ(rig.field.text, "");
    rig.field.text = "入力中";
    rig.source.blocks.push_back(AtLevel(50));
    rig.pass->RunPass(rig.source);
    EXPECT_EQ(rig.field.text, "入力中") << "only once per recording";
}

// While a message box holds the user-interface thread no tick runs: the
// calls recorded then are still named by their own numbers, not by the
// text the field showed for the call before.
TEST(RecordingPassTest, CallsWhileNoTickRunsAreNamedByTheirOwnNumbers) {
    Rig rig;
    rig.field.text = "[着信]07日14時05分33秒-0312345678-山田";  // the last save
    auto pass = [&](const Block& b) {
        rig.source.blocks.push_back(b);
        PassReport r = rig.pass->RunPass(rig.source);
        if (r.saved) rig.saves.push_back(r);
        return r;
    };
    pass(AtLevel(0));  // the start-up command applied
    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        // A call with a number, passes only (no tick, no hand-over).
        for (int i = 0; i < 3 && !pass(AtLevel(50)).opened; ++i) {
        }
        rig.shared.CallNumber.Set("0399999999");
        pass(AtLevel(50));
        rig.shared.RecorderCommand.store(kCommandStopAndSave);
        for (int i = 0; i < 3; ++i) pass(AtLevel(50));
        rig.shared.RecorderCommand.store(kCommandAutomatic);
        pass(AtLevel(0));
    }
    ASSERT_EQ(rig.saves.size(), 2u);
    EXPECT_EQ(rig.saves[0].savedPath, "通話記録\\2026年12月\\[着信]07日14時05分33秒-0399999999-.wav");
    EXPECT_EQ(rig.saves[1].savedPath, "通話記録\\2026年12月\\[着信]07日14時05分33秒-0399999999-(1).wav");
}

// A recording whose save failed stays in TMP.tmp; the next recording
// rescues it into the emergency folder before it opens the file.
TEST(RecordingPassTest, LeftoverIsRescuedBeforeTheNextRecordingOpensTheFile) {
    Rig rig(kCommandManual);
    ASSERT_TRUE(CreateFolderPath(kEmergencyFolder));
    std::vector<uint8_t> leftover(80000, 0x11);
    suite_test::WriteAllBytes(u8"非常用フォルダー/TMP.tmp", leftover);
    PassReport opened;
    for (int i = 0; i < 3 && !opened.opened; ++i) opened = rig.Feed(AtLevel(0));
    ASSERT_TRUE(opened.opened);
    EXPECT_EQ(opened.recoveredPath,
              "非常用フォルダー\\中断された録音（2026年12月07日14時05分33秒に発見）.wav");
    std::vector<uint8_t> rescued = suite_test::ReadAllBytes(SjisPathToUtf8(opened.recoveredPath));
    ASSERT_EQ(rescued.size(), 80000u);
    EXPECT_TRUE(std::equal(rescued.begin() + 44, rescued.end(), leftover.begin() + 44));

    // An empty leftover holds nothing to rescue.
    rig.shared.RecorderCommand.store(kCommandStop);
    rig.FeedMany(AtLevel(0), 2);
    suite_test::WriteAllBytes(u8"非常用フォルダー/TMP.tmp", {});
    rig.shared.RecorderCommand.store(kCommandManual);
    PassReport again;
    for (int i = 0; i < 3 && !again.opened; ++i) again = rig.Feed(AtLevel(0));
    ASSERT_TRUE(again.opened);
    EXPECT_EQ(again.recoveredPath, "");
}

// Closing the program during a call saves it as "録音中止+保存" would,
// with the number known by then; no later pass opens a new recording.
TEST(RecordingPassTest, ExitSavesTheOpenRecordingAndNoLaterPassOpensOne) {
    Rig rig;
    rig.FeedMany(AtLevel(50), 3);
    rig.shared.CallNumber.Set("0312345678 山田");  // as the hand-over leaves it
    rig.FeedMany(AtLevel(50), 2);
    ASSERT_TRUE(rig.TempExists());
    int32_t bytes = rig.shared.RecordedBytes.load();
    // The block the capture holds beyond the pass is written too, and the
    // part of the block in progress.
    class OneAhead : public QueueSource {
    public:
        size_t PendingSamples(int16_t* samples) override {
            std::fill(samples, samples + kBlockSampleCount + 1500, static_cast<int16_t>(1234));
            return kBlockSampleCount + 1500;
        }
    } capture;
    SaveOutcome outcome = SaveOutcome::Failed;
    EXPECT_TRUE(rig.pass->SaveAtExit(&capture, &outcome));
    bytes += 8000 + 3000;
    EXPECT_EQ(outcome, SaveOutcome::Saved);
    EXPECT_FALSE(rig.TempExists());
    const std::string path = u8"通話記録/2026年12月/[着信]07日14時05分33秒-0312345678-山田.wav";
    EXPECT_EQ(rig.field.text, "[着信]07日14時05分33秒-0312345678-山田");
    EXPECT_EQ(suite_test::ReadAllBytes(path).size(), static_cast<size_t>(bytes));
    rig.FeedMany(AtLevel(60), 5);  // the thread still runs until the process ends
    EXPECT_FALSE(rig.TempExists());
    EXPECT_TRUE(rig.saves.empty());
    EXPECT_EQ(rig.shared.RecordedBytes.load(), kNoRecordingBytes);
    EXPECT_FALSE(rig.pass->SaveAtExit()) << "nothing open any more";
}

// Blocks handed over from another thread, as the capture does.
class HandOffSource : public BlockSource {
public:
    bool NextBlock(int16_t* mono) override {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [&] { return stopped_ || pending_ > 0; });
        if (stopped_) return false;
        --pending_;
        std::fill(mono, mono + kBlockSampleCount, static_cast<int16_t>(0));
        return true;
    }
    void Stop() override {
        std::lock_guard<std::mutex> lock(m_);
        stopped_ = true;
        cv_.notify_all();
    }
    void Push() {
        std::lock_guard<std::mutex> lock(m_);
        ++pending_;
        cv_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    int pending_ = 0;
    bool stopped_ = false;
};

TEST(RecordingPassTest, ExitSaveFromTheOtherThreadWhileThePassRuns) {
    Rig rig(kCommandManual);
    HandOffSource source;
    std::thread thread([&] { rig.pass->RunUntilStopped(source); });
    for (int i = 0; i < 40; ++i) source.Push();
    while (rig.shared.BuffersSeen.load() < 20) std::this_thread::yield();
    rig.pass->SaveAtExit();
    for (int i = 0; i < 10; ++i) source.Push();
    source.Stop();
    thread.join();
    EXPECT_FALSE(rig.TempExists());
    // Saved whole: every block the pass wrote before the exit save.
    std::vector<uint8_t> saved =
        suite_test::ReadAllBytes(SjisPathToUtf8("通話記録\\2026年12月\\07日14時05分33秒.wav"));
    ASSERT_GE(saved.size(), 44u + 8000u * 5);
    EXPECT_EQ((saved.size() - 44) % 8000, 0u);
}

}  // namespace
