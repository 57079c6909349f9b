#include "common/sjis_text.h"

#include <cstring>

namespace suite {

size_t SjisLength(const char* slot, size_t slotSize) {
    const void* end = std::memchr(slot, 0, slotSize);
    return end ? static_cast<size_t>(static_cast<const char*>(end) - slot) : slotSize;
}

size_t SjisCopy(char* slot, size_t slotSize, const char* src, size_t srcLen) {
    if (slotSize == 0) return 0;
    size_t limit = slotSize - 1;
    size_t n = 0;
    while (n < srcLen && src[n] != 0) {
        size_t width = IsSjisLeadByte(static_cast<unsigned char>(src[n])) ? 2 : 1;
        // A lead byte at the very end of the source has no partner: drop it.
        if (width == 2 && (n + 1 >= srcLen || src[n + 1] == 0)) break;
        if (n + width > limit) break;
        n += width;
    }
    if (n) std::memcpy(slot, src, n);
    slot[n] = 0;
    return n;
}

size_t SjisCopy(char* slot, size_t slotSize, const std::string& src) {
    return SjisCopy(slot, slotSize, src.data(), src.size());
}

std::string SjisFromSlot(const char* slot, size_t slotSize) {
    return std::string(slot, SjisLength(slot, slotSize));
}

std::string ConstTextSlot::Get() const {
    return size_ ? SjisFromSlot(reinterpret_cast<const char*>(bytes_), size_) : std::string();
}

void TextSlot::Set(const std::string& text) const {
    if (size_) SjisCopy(reinterpret_cast<char*>(bytes_), size_, text);
}

void TextSlot::Clear() const {
    if (size_) std::memset(bytes_, 0, size_);
}

void TextSlot::Store(const std::string& text) const {
    Clear();
    Set(text);
}

bool SjisEqual(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return false;
        if (a[i] == 0) return true;
    }
    return true;
}

size_t SjisFindLast(const std::string& text, char c) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        if (text[i] == c) found = i + 1;
    }
    return found;
}

bool SjisEndsWith(const std::string& text, char c) {
    return !text.empty() && SjisFindLast(text, c) == text.size();
}

size_t PathRootLength(const std::string& path) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        return 2;
    }
    if (path.size() < 2 || !separator(path[0]) || !separator(path[1])) return 0;
    // "\\server\share": the end of the second part after the two separators
    // (a trail byte 0x5C of a kanji in either name is not a separator).
    int parts = 0;
    for (size_t i = 2; i < path.size();) {
        if (separator(path[i])) {
            if (++parts == 2) return i;
            ++i;
            continue;
        }
        i += IsSjisLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size() ? 2 : 1;
    }
    return path.size();
}

}  // namespace suite
