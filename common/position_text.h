// Window positions kept as "%d" texts in 5-byte slots.
#pragma once

namespace suite {

constexpr int kPositionTextSize = 5;
constexpr int kPositionTextMin = -999;
constexpr int kPositionTextMax = 9999;

// Writes value with "%d" into a 5-byte slot; values outside -999..9999 are
// clamped so the text and its terminator always fit.
void WritePositionText(char* slot, int value);

// Reads a slot back as a decimal number truncated to an integer; never reads
// past the slot, also when it lacks a terminator.
int ReadPositionText(const char* slot);

}  // namespace suite
