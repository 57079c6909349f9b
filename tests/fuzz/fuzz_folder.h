// What the fuzz targets share: a private working folder (the targets run
// the program's own functions, which name their files relatively) and a
// reader that splits one input into parts, a phone book's quiet messages.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "phonebook/phone_book_messages.h"

namespace suite_fuzz {

// A phone book's messages, unheard.
class QuietMessages : public suite::PhoneBookMessages {
public:
    void NoSpace() override {}
    void AppendWarning(int) override {}
    void CannotOpen(const std::string&) override {}
    void CannotWrite(const std::string&) override {}
    void InUse(const std::string&) override {}
};

// Makes a fresh folder under $TMPDIR (default /tmp) and works inside it,
// once per process.
void EnterFuzzFolder();

// Writes bytes to a file of the current folder (a UTF-8 path), replacing it.
void WriteFile(const std::string& path, const uint8_t* data, size_t n);
// Removes every entry of a folder, not the folder itself.
void EmptyFolder(const std::string& path);

// Takes an input apart front to back; past the end it gives zeros and
// empty parts, so every input is a valid one.
class InputParts {
public:
    InputParts(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t U16() { return Byte() | static_cast<uint32_t>(Byte()) << 8; }
    uint32_t U32() { return U16() | U16() << 16; }
    // The next n bytes (fewer at the end).
    std::vector<uint8_t> Take(size_t n) {
        size_t k = n < size_ - at_ ? n : size_ - at_;
        std::vector<uint8_t> part(data_ + at_, data_ + at_ + k);
        at_ += k;
        return part;
    }
    std::vector<uint8_t> Rest() { return Take(size_ - at_); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace suite_fuzz
