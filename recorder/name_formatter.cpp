#include "recorder/name_formatter.h"

#include <cstdio>

#include "common/sjis_text.h"

namespace suite {

const char kFallbackNameFormat[] = "電話終了時刻はyyyy年mm月dd日xx時xx分です。（設定を見直してください）";

size_t SjisFind(const std::string& text, const std::string& needle, size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string::npos;
    for (size_t i = from; i + needle.size() <= text.size();) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
        i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return std::string::npos;
}

namespace {

// Writes value as digits over the token at pos; returns the position after it.
size_t Overwrite(std::string* text, size_t pos, const char* format, int value, size_t width) {
    char digits[16];
    std::snprintf(digits, sizeof digits, format, value);
    // A value wider than its token (a year beyond 9999) keeps its last digits,
    // so the text still never changes length.
    std::string s = digits;
    if (s.size() > width) s = s.substr(s.size() - width);
    text->replace(pos, width, s);
    return pos + width;
}

void ReplaceFirst(std::string* text, const char* token, const char* format, int value) {
    std::string t = token;
    size_t pos = SjisFind(*text, t);
    if (pos != std::string::npos) Overwrite(text, pos, format, value, t.size());
}

}  // namespace

void ExpandDateTokens(std::string* text, const LocalTime& time) {
    ReplaceFirst(text, "yyyy", "%04d", time.year);
    ReplaceFirst(text, "mm", "%02d", time.month);
    ReplaceFirst(text, "dd", "%02d", time.day);
    const int parts[3] = {time.hour, time.minute, time.second};
    size_t from = 0;
    for (int value : parts) {
        size_t pos = SjisFind(*text, "xx", from);
        if (pos == std::string::npos) break;
        from = Overwrite(text, pos, "%02d", value, 2);
    }
}

std::string NameFormatter(const std::string& format, const Clock& clock) {
    std::string text = format;
    ExpandDateTokens(&text, clock.Now());
    return text;
}

}  // namespace suite
