#include "linesignal/dial_digit_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "linesignal/signal_kit.h"
#include "common/sjis_text.h"

using namespace suite;
using namespace suite_test;

namespace {

using Blocks = std::vector<std::vector<int16_t>>;

constexpr double kDialToneDbfs = -18.0;

// Where the recorder's dial tone test on the first block stops: after 13
// positive half-waves of 7..14 samples in a row; 0 when there are none.
int DialToneTestStop(const std::vector<int16_t>& block) {
    int runs = 0;
    int pos = 0;
    const int end = static_cast<int>(block.size());
    for (;;) {
        int length = 0;
        while (pos < end && block[pos] > 0) ++pos, ++length;
        if (pos >= end) break;
        if (length >= 7 && length <= 14) {
            if (++runs > 12) break;
        } else {
            runs = 0;
        }
        while (pos < end && block[pos] <= 0) ++pos;
        if (pos >= end) break;
    }
    return runs > 12 ? pos : 0;
}

std::string Expected(const std::string& keys) {
    std::string out;
    for (char k : keys) {
        if (k == '*') out += "＊";
        else if (k == '#') out += "＃";
        else if (k >= '0' && k <= '9') out += k;
    }
    return out;
}

struct Dialling {
    double dialToneMs = 600;  // the exchange drops it 30 ms into the first key
    double toneMs = 80;
    double gapMs = 80;
    double lowDbfs = -14;
    double highDbfs = -12;
    double dialToneDbfs = kDialToneDbfs;
    double frequencyScale = 1.0;  // both tones of every key
};

// Dial tone from the first sample, then the keys; a faint noise floor.
Signal Dialled(const std::string& keys, const Dialling& d = {}, double tailMs = 1000) {
    Signal s = DialTone(d.dialToneMs + 30, d.dialToneDbfs);
    size_t at = SamplesFor(d.dialToneMs);
    for (char k : keys) {
        MixAt(s, DtmfKey(k, d.toneMs, d.lowDbfs, d.highDbfs, d.frequencyScale), at);
        at += SamplesFor(d.toneMs + d.gapMs);
    }
    s.resize(at + SamplesFor(tailMs), 0.0);
    return s;
}

// 1.5 s after the last key, a second of the ringing tone, then quiet;
// returns where the ringing begins.
size_t AddRinging(Signal& s, double dbfs, size_t quietSamples) {
    const size_t ringAt = s.size() + SamplesFor(1500);
    MixAt(s, RingingTone(1000, dbfs), ringAt);
    s.resize(ringAt + quietSamples, 0.0);
    return ringAt;
}

void AddFloor(Signal& s, uint32_t seed = 3) {
    std::mt19937 rng(seed);
    AddWhiteNoise(s, 4.0, rng);
}

// Seven keys and a dial tone length, drawn as linesignal_sweep draws them.
std::string SweepCall(std::mt19937& rng, Dialling* d) {
    static const char kKeys[] = "0123456789*#";
    std::string keys;
    for (int k = 0; k < 7; ++k) keys += kKeys[rng() % 12];
    d->dialToneMs = 400 + rng() % 800;
    return keys;
}

class DialDigitTest : public ::testing::Test {
protected:
    std::unique_ptr<LineAnalysisBuffer> buffer_ = std::make_unique<LineAnalysisBuffer>();
    CallNumberText callNumber_ = {};
    DialDigitDecoder decoder_{*buffer_, callNumber_};

    void Start(const Blocks& blocks) {
        callNumber_[0] = 0;
        decoder_.StartCall(DialToneTestStop(blocks[0]));
        next_ = 0;
    }
    // Feeds the next block unless the number is complete.
    void Feed(const Blocks& blocks) {
        ASSERT_LT(next_, blocks.size());
        if (!decoder_.DialComplete()) decoder_.Decode(blocks[next_].data());
        ++next_;
    }
    // Whole call; the count of blocks fed until complete, or -1.
    int Run(const Blocks& blocks) {
        Start(blocks);
        while (next_ < blocks.size()) {
            Feed(blocks);
            if (decoder_.DialComplete()) return static_cast<int>(next_);
        }
        return -1;
    }
    std::string Number() const { return SjisFromSlot(callNumber_, sizeof callNumber_); }

    size_t next_ = 0;
};

TEST_F(DialDigitTest, EveryKeyOfTheTable) {
    Signal s = Dialled("0123456789*#");
    AddFloor(s);
    Run(ToBlocks(s, 40));
    EXPECT_EQ(Number(), Expected("0123456789*#"));
    // Full-width star and hash, Shift-JIS 81 96 and 81 94.
    const std::string number = Number();
    ASSERT_EQ(number.size(), 14u);
    EXPECT_EQ(static_cast<unsigned char>(number[10]), 0x81);
    EXPECT_EQ(static_cast<unsigned char>(number[11]), 0x96);
    EXPECT_EQ(static_cast<unsigned char>(number[12]), 0x81);
    EXPECT_EQ(static_cast<unsigned char>(number[13]), 0x94);
}

TEST_F(DialDigitTest, FourthColumnIsNotADigit) {
    Signal s = Dialled("1A2B3C4D");
    AddFloor(s);
    Run(ToBlocks(s, 40));
    EXPECT_EQ(Number(), "1234");
}

TEST_F(DialDigitTest, DialToneKeepsSkipToneUntilTheFirstKey) {
    Dialling d;
    d.dialToneMs = 1700;  // three blocks and a bit
    d.lowDbfs = -8;
    d.highDbfs = -6;
    Signal s = Dialled("5", d);
    const Blocks blocks = ToBlocks(s, 20);
    Start(blocks);
    for (int k = 0; k < 3; ++k) {
        Feed(blocks);
        EXPECT_EQ(decoder_.ScanState(), DialScanState::SkipTone);
        EXPECT_EQ(Number(), "");
    }
    Feed(blocks);
    EXPECT_EQ(Number(), "5");
    // T is a fifth of the key's peak, give or take the dial tone's last
    // milliseconds under it.
    const Signal key = DtmfKey('5', 80, d.lowDbfs, d.highDbfs);
    double peak = 0;
    for (double x : key) peak = std::max(peak, std::fabs(x));
    EXPECT_GT(decoder_.BurstThreshold(), peak / 5 * 0.8);
    EXPECT_LE(decoder_.BurstThreshold(), (peak + AmplitudeAt(kDialToneDbfs)) / 5 + 1);
}

TEST_F(DialDigitTest, KeysNeedAPauseOfMoreThanHundredSamples) {
    struct Case {
        int gapSamples;
        std::string expected;
    };
    // The tone edges add a few quiet samples of their own.
    const Case cases[] = {{40, "13"}, {80, "13"}, {115, "123"}, {200, "123"}, {600, "123"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gapSamples);
        Signal s = DialTone(630, kDialToneDbfs);
        size_t at = SamplesFor(600);
        MixAt(s, DtmfKey('1', 100, -14, -12), at);
        at += SamplesFor(100) + c.gapSamples;
        MixAt(s, DtmfKey('2', 100, -14, -12), at);
        at += SamplesFor(100) + 800;
        MixAt(s, DtmfKey('3', 100, -14, -12), at);
        s.resize(at + 8000, 0.0);
        AddFloor(s);
        Run(ToBlocks(s, 40));
        EXPECT_EQ(Number(), c.expected);
    }
}

TEST_F(DialDigitTest, LongKeyPressGivesOneDigit) {
    Dialling d;
    d.toneMs = 1800;  // over three blocks
    Signal s = Dialled("7", d);
    AddFloor(s);
    Run(ToBlocks(s, 40));
    EXPECT_EQ(Number(), "7");
}

TEST_F(DialDigitTest, BurstNearTheBlockEndIsDecodedInTheNextCall) {
    struct Case {
        int start;  // sample of block 1 where the key begins
        DialScanState carried;
    };
    const Case cases[] = {{3600, DialScanState::TransformCarried},
                          {3487, DialScanState::TransformCarried},
                          {3950, DialScanState::ConfirmCarried},
                          {3990, DialScanState::ConfirmCarried}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        Signal s = DialTone(330, kDialToneDbfs);
        MixAt(s, DtmfKey('4', 60, -14, -12), SamplesFor(300));       // sets T
        MixAt(s, DtmfKey('8', 90, -14, -12), 4000 + c.start);
        s.resize(24000, 0.0);
        AddFloor(s);
        const Blocks blocks = ToBlocks(s);
        Start(blocks);
        Feed(blocks);
        ASSERT_EQ(Number(), "4");
        Feed(blocks);
        EXPECT_EQ(Number(), "4");
        EXPECT_EQ(decoder_.ScanState(), c.carried);
        Feed(blocks);
        EXPECT_EQ(Number(), "48");
    }
}

TEST_F(DialDigitTest, SteadyToneMidCallEmptiesTheDigits) {
    Signal s = Dialled("12", {}, 0);
    const size_t toneAt = s.size() + SamplesFor(200);
    MixAt(s, DialTone(700, kDialToneDbfs), toneAt);
    const size_t keyAt = toneAt + SamplesFor(670);  // the tone stops 30 ms into the key
    MixAt(s, DtmfKey('3', 80, -14, -12), keyAt);
    s.resize(keyAt + 16000, 0.0);
    AddFloor(s);
    const Blocks blocks = ToBlocks(s);
    Start(blocks);
    bool sawTwelve = false;
    bool sawEmptied = false;
    while (next_ < blocks.size()) {
        Feed(blocks);
        if (Number() == "12") sawTwelve = true;
        if (sawTwelve && Number().empty()) sawEmptied = true;
    }
    EXPECT_TRUE(sawTwelve);
    EXPECT_TRUE(sawEmptied);
    EXPECT_EQ(Number(), "3");
    EXPECT_FALSE(decoder_.DialComplete());
}

TEST_F(DialDigitTest, RingingToneCompletesAtOnce) {
    Signal s = Dialled("0312", {}, 0);
    const size_t ringAt = AddRinging(s, -12, 40000);
    AddFloor(s);
    const Blocks blocks = ToBlocks(s);
    const int fed = Run(blocks);
    EXPECT_EQ(Number(), "0312");
    // Complete in the block where the ringing begins, or the next one when
    // it begins too near the block end for a transform.
    const int ringBlock = static_cast<int>(ringAt / 4000) + 1;
    EXPECT_GE(fed, ringBlock);
    EXPECT_LE(fed, ringBlock + 1);
}

TEST_F(DialDigitTest, SixteenQuietBlocksCompleteWithoutLookingAtTheLast) {
    Signal s = DialTone(330, kDialToneDbfs);
    MixAt(s, DtmfKey('6', 80, -14, -12), SamplesFor(300));
    s.resize(4000 * 20, 0.0);
    // A key in the 17th block (the 16th after the digit's block).
    MixAt(s, DtmfKey('9', 100, -14, -12), 16 * 4000 + 1000);
    AddFloor(s);
    const Blocks blocks = ToBlocks(s);
    Start(blocks);
    Feed(blocks);
    ASSERT_EQ(Number(), "6");
    for (int k = 1; k <= 15; ++k) {
        Feed(blocks);
        ASSERT_FALSE(decoder_.DialComplete()) << k;
        EXPECT_EQ(decoder_.DialCountdown(), 16 - k);
    }
    Feed(blocks);
    EXPECT_TRUE(decoder_.DialComplete());
    EXPECT_EQ(Number(), "6") << "the 16th block was analysed";
}

TEST_F(DialDigitTest, NoDigitNeverCompletes) {
    Signal s = DialTone(2000, kDialToneDbfs);
    s.resize(4000 * 40, 0.0);
    AddFloor(s);
    EXPECT_EQ(Run(ToBlocks(s)), -1);
    EXPECT_LT(decoder_.DialCountdown(), 0);
    EXPECT_EQ(Number(), "");
}

TEST_F(DialDigitTest, DigitsBeyondTheTextAreDropped) {
    // 254 digits, then a star that needs two bytes, then a digit that fits.
    std::string keys(254, '0');
    for (size_t k = 0; k < keys.size(); ++k) keys[k] = static_cast<char>('0' + k % 10);
    keys += "*5678";
    Dialling d;
    d.toneMs = 66;
    d.gapMs = 30;
    Signal s = Dialled(keys, d);
    AddFloor(s);
    Run(ToBlocks(s, 70));
    const std::string expected = keys.substr(0, 254) + "5";
    EXPECT_EQ(Number(), expected);
    EXPECT_EQ(callNumber_[255], 0);
}

TEST_F(DialDigitTest, ToneEndingAtTheBlockEndTakesTheThresholdFromTheNextBlock) {
    Signal s = DialTone(987.5, kDialToneDbfs);  // ends 100 samples before block 1 ends
    // A crackle of one-sample half-waves ends the tone within 34 samples.
    for (int n = 0; n < 100; ++n) s.push_back(n % 2 ? -30.0 : 30.0);
    MixAt(s, DtmfKey('2', 80, -10, -8), 8000);
    s.resize(8000 * 4, 0.0);
    AddFloor(s);
    const Blocks blocks = ToBlocks(s);
    Start(blocks);
    Feed(blocks);
    Feed(blocks);
    EXPECT_EQ(decoder_.ScanState(), DialScanState::ThresholdNextBlock);
    Feed(blocks);
    EXPECT_EQ(Number(), "2");
    const Signal key = DtmfKey('2', 80, -10, -8);
    double peak = 0;
    for (size_t n = 0; n < 100; ++n) peak = std::max(peak, std::fabs(key[n]));
    EXPECT_NEAR(decoder_.BurstThreshold(), peak / 5, 2);
}

// Digital silence after the dial tone gives a zero peak: the threshold must
// still allow a pause, or every key after the first is lost.
TEST_F(DialDigitTest, SilentLineAfterTheDialToneStillSeparatesKeys) {
    Signal s = DialTone(600, kDialToneDbfs);
    s.resize(SamplesFor(900), 0.0);
    size_t at = s.size();
    for (char k : std::string("2468")) {
        MixAt(s, DtmfKey(k, 80, -14, -12), at);
        at += SamplesFor(200);
    }
    s.resize(at + 8000, 0.0);
    Run(ToBlocks(s));
    EXPECT_EQ(Number(), "2468");
    EXPECT_GE(decoder_.BurstThreshold(), 1);
}

// The first call starts at the dial tone test's stop in the new block, not in
// the samples the area still holds from the call before.
TEST_F(DialDigitTest, FirstCallIgnoresThePreviousCallsSamples) {
    // The call before ended in a loud crackle, which the area still holds.
    Signal crackle(4000, 0.0);
    for (size_t n = 3700; n < crackle.size(); ++n) crackle[n] = n % 2 ? 30000.0 : -30000.0;
    const Blocks before = ToBlocks(crackle);
    decoder_.StartCall(0);
    decoder_.Decode(before[0].data());

    Dialling quiet;
    quiet.lowDbfs = -24;
    quiet.highDbfs = -22;
    Signal s = Dialled("0120", quiet, 1000);
    AddFloor(s);
    Run(ToBlocks(s, 40));
    EXPECT_EQ(Number(), "0120");
    // T comes from this call's own signals: the key and the dial tone's end.
    EXPECT_LE(decoder_.BurstThreshold(), (AmplitudeAt(kDialToneDbfs) + AmplitudeAt(-24) + AmplitudeAt(-22)) / 5 + 1);
}

TEST_F(DialDigitTest, DecodersSideBySide) {
    auto otherBuffer = std::make_unique<LineAnalysisBuffer>();
    CallNumberText otherNumber = {};
    DialDigitDecoder other(*otherBuffer, otherNumber);
    Signal a = Dialled("123");
    Signal b = Dialled("987");
    AddFloor(a, 1);
    AddFloor(b, 2);
    const Blocks blocksA = ToBlocks(a, 30);
    const Blocks blocksB = ToBlocks(b, 30);
    Start(blocksA);
    other.StartCall(DialToneTestStop(blocksB[0]));
    for (size_t k = 0; k < blocksA.size(); ++k) {
        decoder_.Decode(blocksA[k].data());
        other.Decode(blocksB[k].data());
    }
    EXPECT_EQ(Number(), "123");
    EXPECT_STREQ(otherNumber, "987");
}

TEST_F(DialDigitTest, DecodesAcrossLevelTwistAndOffset) {
    struct Case {
        double lowDbfs;
        double highDbfs;
        double frequencyScale;
    };
    const Case cases[] = {{-35, -33, 1.0}, {-3, -1, 1.0}, {-10, -18, 1.0}, {-18, -10, 1.0},
                          {-14, -12, 1.007}, {-14, -12, 0.993}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lowDbfs << "/" << c.highDbfs << " x" << c.frequencyScale);
        Signal s = DialTone(630, kDialToneDbfs);
        size_t at = SamplesFor(600);
        for (char k : std::string("0369*#")) {
            MixAt(s, DtmfKey(k, 70, c.lowDbfs, c.highDbfs, c.frequencyScale), at);
            at += SamplesFor(150);
        }
        s.resize(at + 8000, 0.0);
        AddFloor(s);
        Run(ToBlocks(s));
        EXPECT_EQ(Number(), Expected("0369*#"));
    }
}

// Telephones may send each tone up to 1.5 % off: every key is read, clean
// and under noise. A key 4 % off may be dropped, never read as another.
TEST_F(DialDigitTest, KeysOffTheirTonesByTheToleratedShare) {
    const std::string keys = "0123456789*#";
    uint32_t seed = 40;
    for (double deviation : {-1.5, 1.5, 2.5, -4.0, 4.0}) {
        for (bool noisy : {false, true}) {
            SCOPED_TRACE(testing::Message() << deviation << " %" << (noisy ? " 20 dB" : ""));
            Dialling d;
            d.frequencyScale = 1 + deviation / 100;
            Signal s = Dialled(keys, d);
            std::mt19937 rng(++seed);
            if (noisy) AddWhiteNoise(s, NoiseRmsFor(d.highDbfs, 20), rng);
            else AddFloor(s);
            Run(ToBlocks(s, 40));
            if (std::abs(deviation) < 2) {
                EXPECT_EQ(Number(), Expected(keys));
                continue;
            }
            const std::string sent = Expected(keys);
            size_t at = 0;
            for (char c : Number()) {
                at = sent.find(c, at);
                ASSERT_NE(at, std::string::npos) << Number();
                ++at;
            }
            // A key lost off its tones: no number rather than a shorter one.
            EXPECT_TRUE(Number().empty() || Number() == sent) << Number();
        }
    }
}

// The dial tone runs on 30 ms into the first key. With the high tone the
// weaker, the low tone's half-waves must not pass for the dial tone's, nor
// a harmonic of it for the high tone.
TEST_F(DialDigitTest, ReverseTwistedFirstKeyIsRead) {
    for (char first : std::string("123456")) {
        for (double twist : {-2.0, -4.0, -6.0}) {
            SCOPED_TRACE(testing::Message() << first << " " << twist << " dB");
            Dialling d;
            d.highDbfs = d.lowDbfs + twist;
            const std::string keys = std::string(1, first) + "0#9";
            Signal s = Dialled(keys, d);
            AddFloor(s);
            Run(ToBlocks(s, 40));
            EXPECT_EQ(Number(), Expected(keys));
        }
    }
    // A "3" 6 dB reverse-twisted beats into tone-length half-wave pairs all
    // through, and a silent line after it leaves no half-waves to end the
    // dial tone with: the spectrum must see the key.
    Dialling d;
    d.dialToneMs = 819;
    d.lowDbfs = -20.97;
    d.highDbfs = -26.97;
    d.dialToneDbfs = d.lowDbfs - 4;
    Run(ToBlocks(Dialled("38992#*", d)));
    EXPECT_EQ(Number(), Expected("38992#*"));
}

// White noise over the whole band: noise peaks reach T between the keys,
// noise breaks the dial tone's half-waves up and makes it look modulated,
// clipping holds T down. Still every key is found once and read right.
TEST_F(DialDigitTest, NoisyLineStillGivesTheDialledNumber) {
    struct Case {
        double lowDbfs;
        double highDbfs;
        double snrDb;  // mean power of a key over the noise's
        double toneMs;
        double gapMs;
        double dialToneDbfs;
        double dialToneMs = 600;
    };
    const Case cases[] = {
        {-20, -18, 12, 100, 100, -18}, {-20, -18, 10, 100, 100, -20}, {-14, -12, 15, 100, 100, -18},
        {-14, -20, 10, 100, 100, -18}, {-14, -12, 20, 40, 40, -18},   {-3, -3, 10, 100, 100, -7},
        // The first short key begins 2 ms before a block ends, under the dial tone.
        {-14, -12, 30, 40, 40, -18, 998},
    };
    const std::string numbers[] = {"0312345", "12*#890", "7#7#7#7", "0898989"};
    uint32_t seed = 0;
    for (const Case& c : cases) {
        for (const std::string& keys : numbers) {
            SCOPED_TRACE(testing::Message() << keys << " " << c.lowDbfs << "/" << c.highDbfs << " dBFS "
                                            << c.snrDb << " dB " << c.toneMs << "/" << c.gapMs << " ms");
            Dialling d;
            d.toneMs = c.toneMs;
            d.gapMs = c.gapMs;
            d.lowDbfs = c.lowDbfs;
            d.highDbfs = c.highDbfs;
            d.dialToneDbfs = c.dialToneDbfs;
            d.dialToneMs = c.dialToneMs;
            Signal s = Dialled(keys, d, 1500);
            const double keyPower = (std::pow(AmplitudeAt(c.lowDbfs), 2) + std::pow(AmplitudeAt(c.highDbfs), 2)) / 2;
            std::mt19937 rng(++seed);
            AddWhiteNoise(s, std::sqrt(keyPower / std::pow(10.0, c.snrDb / 10)), rng);
            Run(ToBlocks(s, 40));
            EXPECT_EQ(Number(), Expected(keys));
        }
    }
}

// Noise breaks the dial tone's half-waves up just before the key that ends
// it, and near full level fills the ringing tone's trough: the first key is
// still read, also where the tone ends at a block's end, and the ringing
// still completes the number, not empties it.
TEST_F(DialDigitTest, NoisyLineFromTheDialToneToTheRinging) {
    struct Case {
        std::string keys;
        double dialToneMs;
        double toneMs;
        double lowDbfs;
        double highDbfs;
        double snrDb;
    };
    const Case cases[] = {
        {"*6796*1", 535, 40, -24, -22, 10},  // a short key, 30 of its 40 ms under the tone
        {"6683120", 529, 100, -4, -2, 10},   // clipped now and then
        {"##9935*", 457, 40, -24, -22, 30},  // the tone ends just before a block ends
    };
    // Two calls in a row at 15 dB. In the second the recorder's dial tone
    // test gives no hint, so the search finds the dial tone with the first
    // call's T, and its transform takes in the start of the first key: that
    // key must still be read.
    for (uint32_t seed : {17280288u, 17385017u}) {
        std::mt19937 rng(seed);
        Dialling d;
        const std::string keys = SweepCall(rng, &d);
        d.lowDbfs = d.highDbfs = -23.01;
        d.dialToneDbfs = d.lowDbfs - 4;
        Signal s = Dialled(keys, d, 0);
        AddRinging(s, d.dialToneDbfs, 16000);
        AddWhiteNoise(s, NoiseRmsFor(-20, 15), rng);
        SCOPED_TRACE(keys);
        Run(ToBlocks(s, 40));
        EXPECT_EQ(Number(), Expected(keys));
    }
    // The dial tone 2.6 dB over the noise, the keys' high tone 8 dB over
    // their low one, the decoder started where the recorder's test found
    // the tone: noise moments must not end the tone (nor, at a block's end,
    // leave T in the noise for the next block).
    for (uint32_t seed : {523648u, 1885125u}) {
        std::mt19937 rng(seed);
        Dialling d;
        const std::string keys = SweepCall(rng, &d);
        d.lowDbfs = -28.64;
        d.highDbfs = -20.64;
        d.dialToneDbfs = d.lowDbfs - 4;
        d.toneMs = d.gapMs = 100;
        Signal s = Dialled(keys, d, 0);
        AddRinging(s, d.dialToneDbfs, 16000);
        AddWhiteNoise(s, NoiseRmsFor(-20, 10), rng);
        SCOPED_TRACE(keys);
        const Blocks blocks = ToBlocks(s, 40);
        int hint = 0;
        ASSERT_TRUE(DialToneTest(blocks[0].data(), blocks[0].size(), &hint));
        callNumber_[0] = 0;
        decoder_.StartCall(hint);
        for (const auto& block : blocks) {
            decoder_.Decode(block.data());
            if (decoder_.DialComplete()) break;
        }
        EXPECT_EQ(Number(), Expected(keys));
    }
    for (const Case& c : cases) {
        for (uint32_t seed = 321; seed <= 332; ++seed) {
            SCOPED_TRACE(testing::Message() << c.keys << " seed " << seed);
            Dialling d;
            d.dialToneMs = c.dialToneMs;
            d.toneMs = c.toneMs;
            d.gapMs = c.toneMs;
            d.lowDbfs = c.lowDbfs;
            d.highDbfs = c.highDbfs;
            d.dialToneDbfs = c.lowDbfs - 4;
            Signal s = Dialled(c.keys, d, 0);
            AddRinging(s, d.dialToneDbfs, 16000);
            const double keyPower = (std::pow(AmplitudeAt(c.lowDbfs), 2) + std::pow(AmplitudeAt(c.highDbfs), 2)) / 2;
            std::mt19937 rng(seed);
            AddWhiteNoise(s, std::sqrt(keyPower / std::pow(10.0, c.snrDb / 10)), rng);
            const Blocks blocks = ToBlocks(s, 40);
            EXPECT_GT(Run(blocks), 0);
            EXPECT_EQ(Number(), Expected(c.keys));
        }
    }
}

// ---- The transform against the direct 1024 × 1024 sum ----

// The formula as written, with its cosines and sines computed once.
class DirectTransform {
public:
    DirectTransform() : cos_(kBinsUsed * 1024), sin_(kBinsUsed * 1024) {
        for (int j = 0; j < kBinsUsed; ++j)
            for (int k = 0; k < 1024; ++k) {
                const double theta = ((k * 6.283185307) * j) * 0.0009765625;
                cos_[j * 1024 + k] = std::cos(theta);
                sin_[j * 1024 + k] = std::sin(theta);
            }
    }
    // Bins 0..511, the ones the peak picking reads; the rest left 0.
    void Compute(const int16_t* samples, int32_t* spectrum) const {
        double v[1024];
        for (int k = 0; k < 512; ++k) {
            v[k] = static_cast<double>(static_cast<float>(samples[k]) / 20000.0f);
            v[512 + k] = v[k];
        }
        std::fill(spectrum, spectrum + 1024, 0);
        for (int j = 0; j < kBinsUsed; ++j) {
            double re = 0;
            double im = 0;
            for (int k = 0; k < 1024; ++k) {
                re += cos_[j * 1024 + k] * v[k];
                im += sin_[j * 1024 + k] * v[k];
            }
            im = -im;
            spectrum[j] = static_cast<int32_t>(re * re + im * im);
        }
    }

private:
    static constexpr int kBinsUsed = 512;
    std::vector<double> cos_;
    std::vector<double> sin_;
};

TEST(DtmfTransform, SameDecisionsAsTheDirectSum) {
    const DirectTransform direct;
    const DtmfTransform fast;
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const char keys[] = "0123456789*#ABCD";
    int32_t expected[1024];
    int32_t actual[1024];
    int digits = 0;
    int tones = 0;
#if defined(__SANITIZE_ADDRESS__)
    const int bursts = 480;  // the direct sum is slow without optimisation
#else
    const int bursts = 3000;
#endif
    for (int b = 0; b < bursts; ++b) {
        Signal s;
        const int kind = b % 6;
        const double level = -45 + 48 * unit(rng);  // up to +3 dBFS: clipped
        if (kind <= 1) {
            const double twist = -8 + 16 * unit(rng);
            // Within the table's reach, and across its range edges.
            const double scale = kind == 0 ? 0.995 + 0.01 * unit(rng) : 0.96 + 0.08 * unit(rng);
            s = DtmfKey(keys[rng() % 16], 64, level, level + twist, scale);
        } else if (kind == 2) {
            s = unit(rng) < 0.5 ? Tone(340 + 130 * unit(rng), 64, level, unit(rng) * 6)
                                : RingingTone(64, level, unit(rng));
        } else if (kind == 3) {
            s = Tone(150 + 2500 * unit(rng), 64, level, unit(rng) * 6);
            MixAt(s, Tone(150 + 2500 * unit(rng), 64, level - 10 * unit(rng)), 0);
        } else if (kind == 4) {
            s.assign(512, 0.0);
        } else {
            s.assign(512, 0.0);
            const double amplitude = AmplitudeAt(level);
            for (double& x : s) x = amplitude * (2 * unit(rng) - 1);
        }
        if (kind != 5) {
            AddWhiteNoise(s, NoiseRmsFor(level, 3 + 40 * unit(rng)), rng);
        }
        s.resize(512, 0.0);
        const std::vector<int16_t> pcm = ToPcm(s);
        direct.Compute(pcm.data(), expected);
        fast.Compute(pcm.data(), actual);
        const DtmfPeaks want = PickDtmfPeaks(expected);
        const DtmfPeaks got = PickDtmfPeaks(actual);
        ASSERT_EQ(got.low, want.low) << "burst " << b;
        ASSERT_EQ(got.high, want.high) << "burst " << b;
        for (int j = 0; j < 512; ++j)
            ASSERT_NEAR(actual[j], expected[j], 1 + expected[j] * 1e-9) << "burst " << b << " bin " << j;
        if (DtmfDigitFor(want)) ++digits;
        if (IsCallProgressTone(want)) ++tones;
    }
    // The mix exercised both decisions.
    EXPECT_GT(digits, bursts / 8);
    EXPECT_GT(tones, bursts / 20);
}

TEST(DtmfTransform, UpperHalfMirrorsTheLowerAndOddBinsVanish) {
    const DtmfTransform fast;
    std::mt19937 rng(5);
    std::vector<int16_t> samples(512);
    for (int16_t& x : samples) x = static_cast<int16_t>(rng());
    int32_t spectrum[1024];
    fast.Compute(samples.data(), spectrum);
    for (int j = 1; j < 512; ++j) {
        EXPECT_EQ(spectrum[1024 - j], spectrum[j]);
        if (j % 2) {
            EXPECT_EQ(spectrum[j], 0);
        }
    }
    EXPECT_GT(spectrum[512], 0);
}

// ---- Bad input ----

TEST_F(DialDigitTest, AnyBlockContentIsSafe) {
    std::mt19937 rng(99);
    std::vector<int16_t> block(kBlockSamples);
    const Signal key = DtmfKey('5', 500, -6, -4);
    for (int call = 0; call < 6000; ++call) {
        if (call % 37 == 0) {
            callNumber_[0] = 0;
            const int hints[] = {0, 1, 150, 3999, 4000, 100000, -5};
            decoder_.StartCall(hints[rng() % 7]);
        }
        const int kind = static_cast<int>(rng() % 7);
        const int period = 1 + static_cast<int>(rng() % 40);
        const int16_t level = static_cast<int16_t>(rng() % 32768);
        const int keyAt = static_cast<int>(rng() % 4000);
        for (int n = 0; n < kBlockSamples; ++n) {
            switch (kind) {
            case 0: block[n] = static_cast<int16_t>(rng()); break;
            case 1: block[n] = (n / period) % 2 ? 32767 : -32768; break;
            case 2: block[n] = level; break;
            case 3: block[n] = 0; break;
            case 4: block[n] = static_cast<int16_t>(std::clamp<long>(
                        std::lround(8.0 * level * std::sin(n * 6.2832 * 400 / 8000)), -32768, 32767));
                    break;
            case 5: block[n] = n >= keyAt && n - keyAt < static_cast<int>(key.size())
                                   ? static_cast<int16_t>(std::clamp(key[n - keyAt], -32768.0, 32767.0)) : 0;
                    break;
            default: block[n] = static_cast<int16_t>((rng() % 5) - 2); break;
            }
        }
        decoder_.Decode(block.data());
        ASSERT_LT(SjisLength(callNumber_, sizeof callNumber_), sizeof callNumber_);
        if (decoder_.DialComplete()) decoder_.StartCall(static_cast<int>(rng() % 4000));
    }
}

}  // namespace
