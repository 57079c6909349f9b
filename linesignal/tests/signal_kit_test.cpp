// The test signals checked against the standards by simple measurements of
// their own, so decoder tests stand on known input.
#include "linesignal/signal_kit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace suite_test;

namespace {

// Power of one frequency (Goertzel), normalised to amplitude² / 4.
double PowerAt(const Signal& s, double hz) {
    const double w = 2 * 3.141592653589793 * hz / kRate;
    double s1 = 0, s2 = 0;
    for (double x : s) {
        const double s0 = x + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
    return power / (s.size() * s.size());
}

// Frequency from the rising zero crossings of a stretch.
double CrossingFrequency(const Signal& s, size_t from, size_t to) {
    int crossings = 0;
    size_t first = 0, last = 0;
    for (size_t n = from + 1; n < to; ++n) {
        if (s[n - 1] < 0 && s[n] >= 0) {
            // Sub-sample position by linear interpolation.
            if (crossings == 0) first = n;
            last = n;
            ++crossings;
        }
    }
    return (crossings - 1) * kRate / static_cast<double>(last - first);
}

TEST(SignalKit, CrcAndParity) {
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16Kermit(check, sizeof check), 0x2189);
    EXPECT_EQ(WithEvenParity(0x10), 0x90);  // one bit set: parity bit added
    EXPECT_EQ(WithEvenParity(0x03), 0x03);
    EXPECT_EQ(WithEvenParity('7'), 0xB7);
}

TEST(SignalKit, CallerFrameLayout) {
    const std::vector<uint8_t> frame = CallerFrame("0312");
    ASSERT_EQ(frame.size(), 9u + 4 + 2 + 2);
    const uint8_t head[] = {0x90, 0x81, 0x87, 0x90, 0x82, 0xC0, 0x06, 0x82, 0x84};
    EXPECT_TRUE(std::equal(head, head + 9, frame.begin()));
    EXPECT_EQ(frame[9], 0x30);
    EXPECT_EQ(frame[13], 0x90);
    EXPECT_EQ(frame[14], 0x03);
    const uint16_t crc = Crc16Kermit(frame.data() + 2, 13);
    EXPECT_EQ(frame[15], crc & 0xFF);
    EXPECT_EQ(frame[16], crc >> 8);
}

TEST(SignalKit, FskTonesAndBitTiming) {
    FskOptions o;
    o.leadInMs = 100;
    o.trailMs = 0;
    const Signal mark = FskBurst({}, o);
    EXPECT_EQ(mark.size(), 800u);
    EXPECT_NEAR(CrossingFrequency(mark, 0, 800), 1300, 15);

    // 0x00 sent: start bit and eight zero bits are nine space bits, 60 samples.
    o.leadInMs = 0;
    const Signal space = FskBurst({0x00}, o);
    EXPECT_NEAR(static_cast<double>(space.size()), 10 * kRate / 1200, 1);
    EXPECT_NEAR(CrossingFrequency(space, 0, 60), 2100, 60);

    o.frequencyScale = 1.03;
    o.leadInMs = 100;
    EXPECT_NEAR(CrossingFrequency(FskBurst({}, o), 0, 800), 1339, 15);
    // Peak level.
    o.levelDbfs = -6;
    const Signal quiet = FskBurst({}, o);
    EXPECT_NEAR(*std::max_element(quiet.begin(), quiet.end()), AmplitudeAt(-6), 200);
}

TEST(SignalKit, DtmfKeysHoldTheirTwoTones) {
    const Signal key = DtmfKey('8', 100, -10, -6);
    EXPECT_NEAR(PowerAt(key, 852), AmplitudeAt(-10) * AmplitudeAt(-10) / 4, AmplitudeAt(-10) * AmplitudeAt(-10) / 40);
    EXPECT_NEAR(PowerAt(key, 1336), AmplitudeAt(-6) * AmplitudeAt(-6) / 4, AmplitudeAt(-6) * AmplitudeAt(-6) / 40);
    EXPECT_LT(PowerAt(key, 1209), PowerAt(key, 1336) / 100);
    EXPECT_EQ(key.size(), 800u);
}

TEST(SignalKit, RingingToneIsModulatedAtSixteenHertz) {
    const Signal ring = RingingTone(125, -6, 0.9);  // two modulation periods
    double high = 0, low = 1e9;
    for (size_t start = 0; start + 50 <= ring.size(); start += 50) {
        double peak = 0;
        for (size_t n = start; n < start + 50; ++n) peak = std::max(peak, std::fabs(ring[n]));
        high = std::max(high, peak);
        low = std::min(low, peak);
    }
    EXPECT_LT(low, high / 4);
    EXPECT_NEAR(high, AmplitudeAt(-6), AmplitudeAt(-6) * 0.05);
}

TEST(SignalKit, NoiseLevelAndClipping) {
    std::mt19937 rng(1);
    Signal s(20000, 0.0);
    AddWhiteNoise(s, NoiseRmsFor(-10, 20), rng);
    double sum = 0;
    for (double x : s) sum += x * x;
    EXPECT_NEAR(std::sqrt(sum / s.size()), AmplitudeAt(-10) / std::sqrt(2.0) / 10, 30);

    const std::vector<int16_t> pcm = ToPcm({40000.0, -40000.0, 1.4, -1.6});
    EXPECT_EQ(pcm, (std::vector<int16_t>{32767, -32768, 1, -2}));
    const auto blocks = ToBlocks(Signal(4001, 1.0), 3);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[1][0], 1);
    EXPECT_EQ(blocks[1][1], 0);
}

}  // namespace
