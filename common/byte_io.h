// Little-endian integers and fixed-size text slots at offsets of a byte
// buffer: the one way the suite reads and writes its binary formats
// (settings records, phone book files, WAV headers). Nothing is read or
// written past the end: such an access yields 0 (or nothing) and clears ok().
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace suite {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // True while every access so far was inside the buffer.
    bool ok() const { return ok_; }
    size_t size() const { return size_; }
    bool Has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }

    uint8_t U8(size_t offset) { return Check(offset, 1) ? data_[offset] : 0; }
    uint16_t U16LE(size_t offset) {
        if (!Check(offset, 2)) return 0;
        return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
    }
    uint32_t U32LE(size_t offset) {
        if (!Check(offset, 4)) return 0;
        const uint8_t* p = data_ + offset;
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
               static_cast<uint32_t>(p[3]) << 24;
    }
    // True when the bytes at offset are exactly tag (no terminator compared).
    bool Matches(size_t offset, const char* tag, size_t count) {
        if (!Check(offset, count)) return false;
        for (size_t i = 0; i < count; ++i)
            if (data_[offset + i] != static_cast<uint8_t>(tag[i])) return false;
        return true;
    }
    // The zero-terminated text of a slot of slotSize bytes (all of it when
    // it holds no zero byte).
    std::string Text(size_t offset, size_t slotSize) {
        if (!Check(offset, slotSize)) return std::string();
        const char* p = reinterpret_cast<const char*>(data_ + offset);
        size_t n = 0;
        while (n < slotSize && p[n] != '\0') ++n;
        return std::string(p, n);
    }

private:
    bool Check(size_t offset, size_t count) {
        if (Has(offset, count)) return true;
        ok_ = false;
        return false;
    }

    const uint8_t* data_;
    size_t size_;
    bool ok_ = true;
};

class ByteWriter {
public:
    ByteWriter(uint8_t* data, size_t size) : data_(data), size_(size) {}

    // True while every write so far was inside the buffer.
    bool ok() const { return ok_; }

    void U8(size_t offset, uint8_t v) {
        if (Check(offset, 1)) data_[offset] = v;
    }
    void U16LE(size_t offset, uint16_t v) {
        if (!Check(offset, 2)) return;
        data_[offset] = static_cast<uint8_t>(v);
        data_[offset + 1] = static_cast<uint8_t>(v >> 8);
    }
    void U32LE(size_t offset, uint32_t v) {
        if (!Check(offset, 4)) return;
        for (int i = 0; i < 4; ++i) data_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void Bytes(size_t offset, const void* bytes, size_t count) {
        if (!Check(offset, count)) return;
        const uint8_t* p = static_cast<const uint8_t*>(bytes);
        for (size_t i = 0; i < count; ++i) data_[offset + i] = p[i];
    }

private:
    bool Check(size_t offset, size_t count) {
        if (offset <= size_ && count <= size_ - offset) return true;
        ok_ = false;
        return false;
    }

    uint8_t* data_;
    size_t size_;
    bool ok_ = true;
};

}  // namespace suite
