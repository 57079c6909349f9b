// Shift-JIS (code page 932) texts in fixed-size, zero-terminated slots.
#pragma once
#include <cstddef>
#include <string>

namespace suite {

// True when byte b starts a two-byte Shift-JIS character.
inline bool IsSjisLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length in bytes of the zero-terminated text in a slot of slotSize bytes;
// an unterminated slot counts as slotSize.
size_t SjisLength(const char* slot, size_t slotSize);

// Copies src (length srcLen) into a slot of slotSize bytes, truncated so that
// no double-byte character is split, always terminated. Returns bytes copied.
size_t SjisCopy(char* slot, size_t slotSize, const char* src, size_t srcLen);
size_t SjisCopy(char* slot, size_t slotSize, const std::string& src);

// Text of a slot as a string (stops at the terminator or the slot's end).
std::string SjisFromSlot(const char* slot, size_t slotSize);

// Byte comparison of two zero-terminated texts of at most n bytes; true if equal.
bool SjisEqual(const char* a, const char* b, size_t n);

// True when the text's last character is the single byte c (a trail byte of
// a double-byte character does not count).
bool SjisEndsWith(const std::string& text, char c);

// Position just after the last single-byte c in text, or npos.
size_t SjisFindLast(const std::string& text, char c);

// Bytes at the start of a path that name its drive ("C:") or network share
// ("\\server\share"): folders that exist or not but are never created.
// 0 for a relative path or one starting at the root of the drive.
size_t PathRootLength(const std::string& path);

}  // namespace suite
