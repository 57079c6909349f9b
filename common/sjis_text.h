// Shift-JIS (code page 932) texts in fixed-size, zero-terminated slots.
#pragma once
#include <cstddef>
#include <cstdint>
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

// A text field of a record: where its bytes are and how many, taken together
// so that nothing reads or writes past the field. A slot outside its record
// has size 0: it reads as "" and takes nothing.
class ConstTextSlot {
public:
    ConstTextSlot() = default;
    ConstTextSlot(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    template <size_t N>
    explicit ConstTextSlot(const char (&bytes)[N]) : ConstTextSlot(reinterpret_cast<const uint8_t*>(bytes), N) {}

    size_t size() const { return size_; }
    // True when the field holds no text (its first byte is the terminator).
    bool empty() const { return size_ == 0 || bytes_[0] == 0; }
    // The text up to its terminator or the field's end.
    std::string Get() const;
    // Byte i of the field (0 past its end).
    uint8_t at(size_t i) const { return i < size_ ? bytes_[i] : 0; }
    // Where the field starts, to find its place in its record.
    const uint8_t* data() const { return bytes_; }

private:
    const uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
};

class TextSlot {
public:
    TextSlot() = default;
    TextSlot(uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    template <size_t N>
    explicit TextSlot(char (&bytes)[N]) : TextSlot(reinterpret_cast<uint8_t*>(bytes), N) {}
    operator ConstTextSlot() const { return ConstTextSlot(bytes_, size_); }

    size_t size() const { return size_; }
    bool empty() const { return ConstTextSlot(*this).empty(); }
    std::string Get() const { return ConstTextSlot(*this).Get(); }
    uint8_t at(size_t i) const { return ConstTextSlot(*this).at(i); }

    // Stores text truncated without splitting a character, terminated; the
    // bytes after the terminator stay as they were.
    void Set(const std::string& text) const;
    // Every byte of the field zero.
    void Clear() const;
    // The field holds text and zero bytes only: Clear, then Set.
    void Store(const std::string& text) const;

private:
    uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
};

// Bytes at the start of a path that name its drive ("C:") or network share
// ("\\server\share"): folders that exist or not but are never created.
// 0 for a relative path or one starting at the root of the drive.
size_t PathRootLength(const std::string& path);

}  // namespace suite
