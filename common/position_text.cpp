#include "common/position_text.h"

#include <cstdio>
#include <cstdlib>

namespace suite {

void WritePositionText(TextSlot slot, int value) {
    if (value < kPositionTextMin) value = kPositionTextMin;
    if (value > kPositionTextMax) value = kPositionTextMax;
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    slot.Store(text);
}

int ReadPositionText(ConstTextSlot slot) {
    std::string text = slot.Get().substr(0, kPositionTextSize);
    double value = std::strtod(text.c_str(), nullptr);
    // A damaged slot may hold "1e99" or "nan": keep the cast defined.
    if (!(value > -1e9)) return value != value ? 0 : -1000000000;
    if (value > 1e9) return 1000000000;
    return static_cast<int>(value);
}

}  // namespace suite
