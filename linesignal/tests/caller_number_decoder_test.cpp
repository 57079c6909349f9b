#include "linesignal/caller_number_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "linesignal/signal_kit.h"
#include "common/sjis_text.h"

using namespace suite;
using namespace suite_test;

namespace {

const std::string kWithheld = "非通知";

// A call as the recorder runs it: blocks 0, 1, ... with the attempt count,
// until CallNumber fills or ten attempts have failed.
class CallerNumberTest : public ::testing::Test {
protected:
    std::unique_ptr<LineAnalysisBuffer> buffer_ = std::make_unique<LineAnalysisBuffer>();
    CallNumberText callNumber_ = {};
    CallerNumberDecoder decoder_{*buffer_, callNumber_};

    // Attempt that filled CallNumber, or -1.
    int RunCall(const Signal& signal) {
        const auto blocks = ToBlocks(signal, 10);
        callNumber_[0] = 0;
        for (int attempt = 0; attempt < 10; ++attempt) {
            decoder_.Decode(attempt, blocks[attempt].data());
            if (callNumber_[0] != 0) return attempt;
        }
        return -1;
    }
    std::string Number() const { return SjisFromSlot(callNumber_, sizeof callNumber_); }
};

// Quiet line, then the burst, then the quiet line again.
Signal CallWithBurst(const std::vector<uint8_t>& frame, double atMs, const FskOptions& fsk = {},
                     double snrDb = 35.0, uint32_t seed = 1) {
    Signal s = Silence(atMs);
    Append(s, FskBurst(frame, fsk));
    Append(s, Silence(300));
    if (snrDb < 100) {
        std::mt19937 rng(seed);
        AddWhiteNoise(s, NoiseRmsFor(fsk.levelDbfs, snrDb), rng);
    }
    return s;
}

TEST_F(CallerNumberTest, PrimingBuildsTheCrcTableAndFindsNothing) {
    const std::vector<int16_t> silent(kBlockSamples, 0);
    for (int attempt = 0; attempt < 10; ++attempt) {
        decoder_.Decode(attempt, silent.data());
        EXPECT_EQ(Number(), "");
    }
    // CRC-16/KERMIT check value over "123456789".
    const uint16_t* table = decoder_.FrameCrcTable();
    unsigned reg = 0;
    for (const char* p = "123456789"; *p; ++p) reg = (reg >> 8) ^ table[(static_cast<unsigned>(*p) ^ reg) & 0xFF];
    EXPECT_EQ(reg, 0x2189u);
    EXPECT_EQ(table[0x80], 0x8408);
}

TEST_F(CallerNumberTest, NumbersOfEveryLengthRoundTrip) {
    std::string longest;
    for (int k = 0; k < 127; ++k) longest += static_cast<char>('0' + (k * 7) % 10);
    const std::string numbers[] = {"0", "7", "03", "0312345678", "09012345678", "0120444444", longest};
    uint32_t seed = 0;
    for (const std::string& number : numbers) {
        SCOPED_TRACE(number);
        EXPECT_GE(RunCall(CallWithBurst(CallerFrame(number), 150, {}, 35, ++seed)), 0);
        EXPECT_EQ(Number(), number);
        EXPECT_EQ(decoder_.AcceptedMarkBound() != 0, true);
    }
}

TEST_F(CallerNumberTest, ALetterIsAReasonCodeAndADigitIsANumber) {
    struct Case {
        std::string parameter;
        uint8_t type;
        std::string expected;
    };
    const Case cases[] = {
        {"P", 0x04, kWithheld},  // private
        {"O", 0x04, kWithheld},  // out of area
        {"C", 0x04, kWithheld},  // public telephone
        {"S", 0x04, kWithheld},  // service conflict
        {":", 0x02, kWithheld},  // first code above "9"
        {"9", 0x02, "9"},
        {"0", 0x02, "0"},
        {"-", 0x02, "-"},        // below "0": kept as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parameter);
        FrameOptions options;
        options.parameterType = c.type;
        EXPECT_GE(RunCall(CallWithBurst(CallerFrame(c.parameter, options), 200)), 0);
        EXPECT_EQ(Number(), c.expected);
    }
}

TEST_F(CallerNumberTest, NonDigitInALongerNumberIsRejected) {
    for (const std::string bad : {"03A45678", "0312-4567", "P1", "12345678:"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(RunCall(CallWithBurst(CallerFrame(bad), 200)), -1);
        EXPECT_EQ(Number(), "");
    }
}

TEST_F(CallerNumberTest, CrcDecidesWhenEveryParityIsRight) {
    // Control: the frame decodes as sent.
    ASSERT_GE(RunCall(CallWithBurst(CallerFrame("0312345678"), 200)), 0);
    ASSERT_EQ(Number(), "0312345678");
    for (int bit = 0; bit < 16; ++bit) {
        SCOPED_TRACE(bit);
        FrameOptions options;
        options.corruptCrcBit = bit;
        EXPECT_EQ(RunCall(CallWithBurst(CallerFrame("0312345678", options), 200)), -1);
        EXPECT_EQ(Number(), "") << "digits of the failed frame left behind";
    }
    // A digit changed with its parity kept right, CRC of the original.
    std::vector<uint8_t> frame = CallerFrame("0312345678");
    frame[12] = WithEvenParity('9');
    EXPECT_EQ(RunCall(CallWithBurst(frame, 200)), -1);
    EXPECT_EQ(Number(), "");
}

TEST_F(CallerNumberTest, ParityErrorIsRejected) {
    for (size_t index : {0u, 1u, 8u, 12u, 19u}) {
        SCOPED_TRACE(index);
        std::vector<uint8_t> frame = CallerFrame("0312345678");
        frame[index] ^= 0x80;  // parity bit only
        EXPECT_EQ(RunCall(CallWithBurst(frame, 200)), -1);
    }
}

TEST_F(CallerNumberTest, EmptyNumberCountsAsFailure) {
    EXPECT_EQ(RunCall(CallWithBurst(CallerFrame(""), 200)), -1);
    EXPECT_EQ(Number(), "");
}

TEST_F(CallerNumberTest, BurstSplitAcrossBlocksDecodesOnTheSecondCall) {
    const std::vector<uint8_t> frame = CallerFrame("0451234567");
    // Splits in the lead-in, in the header, among the digits, in the CRC.
    for (double atMs : {440.0, 380.0, 330.0, 280.0}) {
        SCOPED_TRACE(atMs);
        const auto blocks = ToBlocks(CallWithBurst(frame, atMs), 2);
        callNumber_[0] = 0;
        decoder_.Decode(0, blocks[0].data());
        EXPECT_EQ(Number(), "");
        decoder_.Decode(1, blocks[1].data());
        EXPECT_EQ(Number(), "0451234567");
    }
}

// On a clean line the half-waves sit right at the mark bound, so the seam
// between two slots must not bend the one it cuts.
TEST_F(CallerNumberTest, CleanBurstDecodesWhereverTheBlockSeamCutsIt) {
    const std::vector<uint8_t> frame = CallerFrame("0451234567");
    const size_t burst = FskBurst(frame).size();
    int failures = 0;
    for (size_t start = kBlockSamples - burst; start < kBlockSamples; start += 3) {
        const auto blocks = ToBlocks(CallWithBurst(frame, start / 8.0, {}, 1000.0), 2);
        callNumber_[0] = 0;
        decoder_.Decode(0, blocks[0].data());
        if (callNumber_[0] == 0) decoder_.Decode(1, blocks[1].data());
        if (Number() != "0451234567" && ++failures <= 5) ADD_FAILURE() << "burst at sample " << start;
    }
    EXPECT_EQ(failures, 0);
}

TEST_F(CallerNumberTest, MarkToneWithoutAFrameDoesNotHideTheBurst) {
    // A mark run that ends in plain space: no attempt there gets to SOH, so
    // the search moves on to the real lead-in.
    Signal s = Silence(100);
    Append(s, Tone(1300, 300, -15));
    Append(s, Tone(2100, 100, -15, 1.0));
    Append(s, Silence(150));
    Append(s, FskBurst(CallerFrame("0312345678")));
    std::mt19937 rng(4);
    AddWhiteNoise(s, NoiseRmsFor(-15, 35), rng);
    EXPECT_EQ(RunCall(s), 1);
    EXPECT_EQ(Number(), "0312345678");
}

TEST_F(CallerNumberTest, SilenceAfterAPartialFrameFails) {
    FskOptions fsk;
    fsk.trailMs = 0;
    const Signal burst = FskBurst(CallerFrame("0312345678"), fsk);
    // Cut in the header, among the digits, in the high CRC byte.
    for (size_t cut : {burst.size() / 4, burst.size() / 2, burst.size() - 20}) {
        SCOPED_TRACE(cut);
        Signal s = Silence(100);
        Append(s, Signal(burst.begin(), burst.begin() + cut));
        EXPECT_EQ(RunCall(s), -1);
        EXPECT_EQ(Number(), "");
    }
}

TEST_F(CallerNumberTest, TwoKiloHertzLeadInQualifiesOnlyInTheLastPass) {
    int accepted = 0;
    for (int phase = 0; phase < 12; ++phase) {
        SCOPED_TRACE(phase);
        FskOptions fsk;
        fsk.leadInHz = 2000.0;  // half-waves of 12 samples at 48000/s
        fsk.startPhase = phase * 0.5;
        if (RunCall(CallWithBurst(CallerFrame("0312345678"), 150 + phase, fsk, 200)) < 0) continue;
        ++accepted;
        EXPECT_EQ(Number(), "0312345678");
        EXPECT_EQ(decoder_.AcceptedMarkBound(), 11);
    }
    EXPECT_GE(accepted, 6);

    // The same frames with a lead-in at the mark frequency are taken earlier.
    int firstPass = 0;
    for (int phase = 0; phase < 12; ++phase) {
        SCOPED_TRACE(phase);
        FskOptions fsk;
        fsk.startPhase = phase * 0.5;
        ASSERT_GE(RunCall(CallWithBurst(CallerFrame("0312345678"), 150 + phase, fsk, 200)), 0);
        EXPECT_GT(decoder_.AcceptedMarkBound(), 11);
        if (decoder_.AcceptedMarkBound() == 14) ++firstPass;
    }
    EXPECT_GE(firstPass, 6);
}

TEST_F(CallerNumberTest, TenFailingBlocksLeaveCallNumberEmpty) {
    // Noise, then half a frame, then a frame with a broken CRC.
    Signal s;
    std::mt19937 rng(5);
    Append(s, Silence(1500));
    AddWhiteNoise(s, 300, rng);
    const Signal burst = FskBurst(CallerFrame("0312345678"));
    Append(s, Signal(burst.begin(), burst.begin() + burst.size() / 2));
    Append(s, Silence(500));
    FrameOptions broken;
    broken.corruptCrcBit = 3;
    Append(s, FskBurst(CallerFrame("0312345678", broken)));
    const auto blocks = ToBlocks(s, 10);
    callNumber_[0] = 0;
    for (int attempt = 0; attempt < 10; ++attempt) {
        decoder_.Decode(attempt, blocks[attempt].data());
        EXPECT_EQ(Number(), "") << "attempt " << attempt;
    }
}

TEST_F(CallerNumberTest, FrameAtTheVeryEndOfTheTenthBlock) {
    const Signal burst = FskBurst(CallerFrame("0312345678"));
    for (double marginMs : {12.0, 0.0}) {
        SCOPED_TRACE(marginMs);
        Signal s = Silence(5000 - marginMs - burst.size() / 8.0);
        std::mt19937 rng(9);
        AddWhiteNoise(s, 30, rng);
        Append(s, burst);
        Append(s, Silence(marginMs));
        s.resize(40000);
        const auto blocks = ToBlocks(s, 10);
        callNumber_[0] = 0;
        for (int attempt = 0; attempt < 9; ++attempt) {
            decoder_.Decode(attempt, blocks[attempt].data());
            ASSERT_EQ(Number(), "");
        }
        decoder_.Decode(9, blocks[9].data());
        if (marginMs > 0) {
            EXPECT_EQ(Number(), "0312345678");
        }
    }
}

TEST_F(CallerNumberTest, AttemptOutsideTheSlotsOnlyEmptiesCallNumber) {
    const auto blocks = ToBlocks(CallWithBurst(CallerFrame("0312345678"), 100), 1);
    for (int attempt : {-1, 10, 1000}) {
        std::strcpy(callNumber_, "x");
        decoder_.Decode(attempt, blocks[0].data());
        EXPECT_EQ(Number(), "");
    }
}

TEST_F(CallerNumberTest, DecodersSideBySideKeepTheirOwnCalls) {
    auto otherBuffer = std::make_unique<LineAnalysisBuffer>();
    CallNumberText otherNumber = {};
    CallerNumberDecoder other(*otherBuffer, otherNumber);
    // Each burst straddles its first two blocks, so each decoder needs its own slot 0.
    const auto mine = ToBlocks(CallWithBurst(CallerFrame("0311112222"), 380), 2);
    const auto theirs = ToBlocks(CallWithBurst(CallerFrame("0699998888"), 300), 2);
    decoder_.Decode(0, mine[0].data());
    other.Decode(0, theirs[0].data());
    decoder_.Decode(1, mine[1].data());
    other.Decode(1, theirs[1].data());
    EXPECT_EQ(Number(), "0311112222");
    EXPECT_STREQ(otherNumber, "0699998888");
}

TEST_F(CallerNumberTest, DecodesAcrossLevelOffsetAndDrift) {
    struct Case {
        double levelDbfs;
        double frequencyScale;
        double baudScale;
        double snrDb;
    };
    const Case cases[] = {
        {-35, 1.0, 1.0, 30}, {-3, 1.0, 1.0, 30}, {3, 1.0, 1.0, 200},  // +3 dB: clipped
        {-15, 1.02, 1.0, 30}, {-15, 0.98, 1.0, 30},                  // carrier offset
        {-15, 1.0, 1.001, 30}, {-15, 1.0, 0.999, 30},                // clock drift
        {-15, 1.0, 1.0, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.levelDbfs << " dBFS x" << c.frequencyScale << " baud x"
                                        << c.baudScale << " " << c.snrDb << " dB");
        int decoded = 0;
        for (uint32_t seed = 1; seed <= 4; ++seed) {
            FskOptions fsk;
            fsk.levelDbfs = c.levelDbfs;
            fsk.frequencyScale = c.frequencyScale;
            fsk.baud = 1200 * c.baudScale;
            fsk.startPhase = seed;
            if (RunCall(CallWithBurst(CallerFrame("0312345678"), 100 + 37 * seed, fsk, c.snrDb, seed)) >= 0) {
                EXPECT_EQ(Number(), "0312345678");
                ++decoded;
            }
        }
        EXPECT_GE(decoded, 3);
    }
}

// A clean burst 2-3 % off its carrier puts the half-waves right at the mark
// bound; under noise single crossings move. Either way every bit must be
// read from its whole length, not from one half-wave.
TEST_F(CallerNumberTest, BurstOffItsCarrierOrUnderNoiseDecodes) {
    struct Case {
        double frequencyScale;
        double baudScale;
        double snrDb;
    };
    const Case cases[] = {{0.97, 1.0, 1000}, {0.98, 1.0, 1000}, {1.02, 1.0, 1000}, {1.03, 1.0, 1000},
                          {1.0, 1.0, 10},    {0.97, 1.0, 12},   {1.0, 1.003, 10},  {1.0, 0.997, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x" << c.frequencyScale << " baud x" << c.baudScale << " " << c.snrDb << " dB");
        int failures = 0;
        for (uint32_t seed = 1; seed <= 8; ++seed) {
            FskOptions fsk;
            fsk.frequencyScale = c.frequencyScale;
            fsk.baud = 1200 * c.baudScale;
            fsk.startPhase = 0.8 * seed;
            const int attempt = RunCall(CallWithBurst(CallerFrame("0312345678"), 60 + 53 * seed, fsk, c.snrDb, seed));
            if (attempt < 0 || Number() != "0312345678") ++failures;
        }
        EXPECT_EQ(failures, 0);
    }
}

// Whatever the block holds, the decoder stays inside its buffers and leaves
// either nothing, digits or "非通知".
TEST_F(CallerNumberTest, AnyBlockContentIsSafe) {
    std::mt19937 rng(2024);
    std::vector<int16_t> block(kBlockSamples);
    for (int call = 0; call < 1500; ++call) {
        const int kind = call % 6;
        const int period = 2 + static_cast<int>(rng() % 60);
        const int16_t level = static_cast<int16_t>(rng() % 32768);
        for (int n = 0; n < kBlockSamples; ++n) {
            switch (kind) {
            case 0: block[n] = static_cast<int16_t>(rng()); break;
            case 1: block[n] = (n / period) % 2 ? 32767 : -32768; break;  // full-scale square
            case 2: block[n] = level; break;                             // DC
            case 3: block[n] = 0; break;
            case 4: block[n] = static_cast<int16_t>(std::clamp<long>(
                        std::lround(4.0 * level * std::sin(n * 6.2832 * 1300 / 8000)), -32768, 32767));
                    break;  // clipped mark tone
            default: block[n] = static_cast<int16_t>((rng() % 3) - 1); break;
            }
        }
        const int attempt = static_cast<int>(rng() % 10);
        callNumber_[0] = 0;
        decoder_.Decode(attempt, block.data());
        const std::string number = Number();
        ASSERT_LE(number.size(), 127u);
        if (number == kWithheld) continue;
        for (char c : number) ASSERT_GT(c, 0) << "not a frame character";
    }
}

}  // namespace
