// Window positions kept as "%d" texts in 5-byte slots.
#pragma once

#include "common/sjis_text.h"

namespace suite {

constexpr int kPositionTextSize = 5;
constexpr int kPositionTextMin = -999;
constexpr int kPositionTextMax = 9999;

// Writes value with "%d" into a slot (5 bytes in the records), the rest of
// it zero; values outside -999..9999 are clamped so the text and its
// terminator always fit.
void WritePositionText(TextSlot slot, int value);

// Reads at most 5 bytes of a slot back as a decimal number truncated to an
// integer; also when the slot lacks a terminator.
int ReadPositionText(ConstTextSlot slot);

}  // namespace suite
