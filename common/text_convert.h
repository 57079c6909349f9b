// Code page 932 conversions: to UTF-16 for the user interface, to UTF-8 for
// terminals and the POSIX file layer. Backed by the platform (Win32) or iconv.
#pragma once
#include <string>

namespace suite {

std::u16string SjisToUtf16(const std::string& sjis);
std::string SjisToUtf8(const std::string& sjis);
std::string Utf8ToSjis(const std::string& utf8);

// A path of the suite as the terminal and the POSIX file layer see it:
// UTF-8 with "/" for each "\".
inline std::string SjisPathToUtf8(const std::string& sjis) {
    std::string p = SjisToUtf8(sjis);
    for (char& c : p) {
        if (c == '\\') c = '/';
    }
    return p;
}

}  // namespace suite
