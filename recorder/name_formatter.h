// The date-and-time token language of the folder and file name formats.
#pragma once
#include <cstddef>
#include <string>

#include "recorder/clock.h"

namespace suite {

// "電話終了時刻はyyyy年mm月dd日xx時xx分です。（設定を見直してください）": the
// name of a recording that could not be moved to its own name.
extern const char kFallbackNameFormat[];

// First occurrence of needle in text at or after from, matching only where a
// character starts (never inside a double-byte character); npos if none.
// from must itself be a character boundary.
size_t SjisFind(const std::string& text, const std::string& needle, size_t from = 0);

// Expands in place, without changing the length: the first "yyyy" (year),
// the first "mm" (month), the first "dd" (day), then up to three "xx" in
// turn (hour, minute, second). Other occurrences stay as they are.
void ExpandDateTokens(std::string* text, const LocalTime& time);

// A copy of format expanded with the clock read once.
std::string NameFormatter(const std::string& format, const Clock& clock);

}  // namespace suite
