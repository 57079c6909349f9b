#include "linesignal/line_signal.h"

namespace suite {
namespace {

constexpr int kMinToneHalfWave = 7;       // samples of a dial-tone half-wave
constexpr int kMaxToneHalfWave = 14;
constexpr int kToneHalfWavesNeeded = 12;  // more than this many in a row

}  // namespace

int32_t BlockLevel(const int16_t* samples, size_t count, int32_t floor) {
    int32_t level = floor;
    for (size_t i = 0; i < count; ++i) {
        int32_t s = samples[i];
        int32_t a = s >= 0 ? s : -s - 1;
        int32_t v = a >> 8;
        if (v > level) level = v;
    }
    return level;
}

bool HasDialTone(const int16_t* samples, size_t count, int* stopPosition) {
    const size_t end = count;
    size_t pos = 0;
    int runs = 0;
    for (;;) {
        int run = 0;
        while (pos < end && samples[pos] > 0) {
            ++run;
            ++pos;
        }
        if (pos >= end) break;
        if (run >= kMinToneHalfWave && run <= kMaxToneHalfWave) {
            if (++runs > kToneHalfWavesNeeded) break;
        } else {
            runs = 0;
        }
        while (pos < end && samples[pos] <= 0) ++pos;
        if (pos >= end) break;
    }
    *stopPosition = static_cast<int>(pos);
    return runs > kToneHalfWavesNeeded;
}

}  // namespace suite
