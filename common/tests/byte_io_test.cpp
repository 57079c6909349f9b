#include "common/byte_io.h"

#include <gtest/gtest.h>

#include <cstring>

namespace suite {
namespace {

TEST(ByteIoTest, ReadsLittleEndianFieldsAndSlotsOfAFixture) {
    const uint8_t d[] = {0x00, 0x01, 0x78, 0x56, 0x34, 0x12, 'R', 'I', 'F', 'F', 'a', 'b', 0, 'x', 'c', 'd'};
    ByteReader r(d, sizeof d);
    EXPECT_EQ(r.U16LE(0), 0x100);
    EXPECT_EQ(r.U32LE(2), 0x12345678u);
    EXPECT_TRUE(r.Matches(6, "RIFF", 4));
    EXPECT_FALSE(r.Matches(6, "RIFX", 4));
    EXPECT_EQ(r.Text(10, 4), "ab");        // stops at the zero
    EXPECT_EQ(r.Text(14, 2), "cd");        // a full slot has no terminator
    EXPECT_EQ(r.U8(15), 'd');
    EXPECT_TRUE(r.ok());
}

TEST(ByteIoTest, RefusesEveryAccessPastTheEnd) {
    const uint8_t d[] = {1, 2, 3, 4, 5};
    ByteReader r(d, sizeof d);
    EXPECT_EQ(r.U32LE(1), 0x05040302u);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.U32LE(2), 0u);  // one byte short
    EXPECT_FALSE(r.ok());
    ByteReader far(d, sizeof d);
    EXPECT_EQ(far.U16LE(SIZE_MAX), 0);  // no wrap-around of offset + count
    EXPECT_EQ(far.Text(3, 3), "");
    EXPECT_FALSE(far.Matches(5, "x", 1));
    EXPECT_FALSE(far.ok());

    uint8_t out[6] = {};
    ByteWriter w(out, sizeof out);
    w.U32LE(2, 0xA1B2C3D4u);
    w.U16LE(0, 0xBEEF);
    EXPECT_TRUE(w.ok());
    const uint8_t want[] = {0xEF, 0xBE, 0xD4, 0xC3, 0xB2, 0xA1};
    EXPECT_EQ(0, memcmp(out, want, sizeof out));
    w.U32LE(3, 0);  // would run past the end: nothing changes
    w.Bytes(SIZE_MAX - 1, "ab", 2);
    EXPECT_FALSE(w.ok());
    EXPECT_EQ(0, memcmp(out, want, sizeof out));
}

}  // namespace
}  // namespace suite
