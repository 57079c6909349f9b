#include "common/text_convert.h"

#include <windows.h>

namespace suite {
namespace {

std::u16string ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return std::u16string();
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::u16string();
    std::u16string wide(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<LPWSTR>(&wide[0]), n);
    return wide;
}

std::string FromWide(UINT codePage, const std::u16string& wide) {
    if (wide.empty()) return std::string();
    LPCWSTR w = reinterpret_cast<LPCWSTR>(wide.data());
    int n = WideCharToMultiByte(codePage, 0, w, static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, w, static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
    return text;
}

}  // namespace

std::u16string SjisToUtf16(const std::string& sjis) { return ToWide(932, sjis); }

std::string SjisToUtf8(const std::string& sjis) { return FromWide(CP_UTF8, ToWide(932, sjis)); }

std::string Utf8ToSjis(const std::string& utf8) { return FromWide(932, ToWide(CP_UTF8, utf8)); }

}  // namespace suite
