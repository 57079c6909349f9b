// Little-endian fields of a file's bytes for the tests, through the suite's
// byte reader and writer. A field read past the end fails the test instead
// of reading 0, so a short file cannot pass for one with zeros in it.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/byte_io.h"

namespace suite_test {

inline uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    suite::ByteReader r(b.data(), b.size());
    uint32_t v = r.U32LE(at);
    if (!r.ok()) ADD_FAILURE() << "no 4 bytes at " << at << " in " << b.size();
    return v;
}
inline uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    suite::ByteReader r(b.data(), b.size());
    uint16_t v = r.U16LE(at);
    if (!r.ok()) ADD_FAILURE() << "no 2 bytes at " << at << " in " << b.size();
    return v;
}

// Writes v at `at`, growing the bytes first when they end before it; at
// b->size() it appends.
inline void PutU32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
    if (b->size() < at + 4) b->resize(at + 4, 0);
    suite::ByteWriter(b->data(), b->size()).U32LE(at, v);
}
inline void PutU16(std::vector<uint8_t>* b, size_t at, uint16_t v) {
    if (b->size() < at + 2) b->resize(at + 2, 0);
    suite::ByteWriter(b->data(), b->size()).U16LE(at, v);
}

}  // namespace suite_test
