#include "common/position_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace suite {

void WritePositionText(char* slot, int value) {
    if (value < kPositionTextMin) value = kPositionTextMin;
    if (value > kPositionTextMax) value = kPositionTextMax;
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    std::memset(slot, 0, kPositionTextSize);
    std::memcpy(slot, text, std::strlen(text));
}

int ReadPositionText(const char* slot) {
    char text[kPositionTextSize + 1] = {};
    std::memcpy(text, slot, kPositionTextSize);
    double value = std::strtod(text, nullptr);
    // A damaged slot may hold "1e99" or "nan": keep the cast defined.
    if (!(value > -1e9)) return value != value ? 0 : -1000000000;
    if (value > 1e9) return 1000000000;
    return static_cast<int>(value);
}

}  // namespace suite
