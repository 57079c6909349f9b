#include "common/text_convert.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace suite {
namespace {

// Converts with iconv; an invalid byte becomes '?' so a damaged text still shows.
template <typename Out>
Out Convert(const char* to, const char* from, const char* data, size_t size) {
    Out result;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return result;
    std::vector<char> out(size * 4 + 16);
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    std::string bytes;
    while (inLeft > 0) {
        char* outPtr = out.data();
        size_t outLeft = out.size();
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        bytes.append(out.data(), out.size() - outLeft);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // Skip the offending byte, mark it, go on.
            ++in;
            --inLeft;
            bytes.append(sizeof(typename Out::value_type) == 2 ? std::string("?\0", 2) : std::string("?"));
        }
    }
    iconv_close(cd);
    result.resize(bytes.size() / sizeof(typename Out::value_type));
    for (size_t i = 0; i < result.size(); ++i) {
        if (sizeof(typename Out::value_type) == 2) {
            result[i] = static_cast<typename Out::value_type>(
                static_cast<unsigned char>(bytes[2 * i]) |
                (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        } else {
            result[i] = static_cast<typename Out::value_type>(bytes[i]);
        }
    }
    return result;
}

}  // namespace

std::u16string SjisToUtf16(const std::string& sjis) {
    return Convert<std::u16string>("UTF-16LE", "CP932", sjis.data(), sjis.size());
}

std::string SjisToUtf8(const std::string& sjis) {
    return Convert<std::string>("UTF-8", "CP932", sjis.data(), sjis.size());
}

std::string Utf8ToSjis(const std::string& utf8) {
    return Convert<std::string>("CP932", "UTF-8", utf8.data(), utf8.size());
}

}  // namespace suite
