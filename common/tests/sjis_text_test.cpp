#include "common/sjis_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/text_convert.h"

using namespace suite;

TEST(SjisText, CopyTruncatesWithoutSplittingCharacters) {
    // "日本" is four bytes; a 4-byte slot holds one character and the terminator.
    const std::string text = "日本";
    ASSERT_EQ(text.size(), 4u);
    char slot[8];
    std::memset(slot, 'Z', sizeof slot);
    EXPECT_EQ(SjisCopy(slot, 4, text), 2u);
    EXPECT_EQ(std::string(slot), "日");
    EXPECT_EQ(slot[3], 'Z') << "wrote past the slot";

    EXPECT_EQ(SjisCopy(slot, 5, text), 4u);
    EXPECT_EQ(std::string(slot), "日本");

    // Mixed: "a日b" in a 3-byte slot keeps "a" only, never half of 日.
    EXPECT_EQ(SjisCopy(slot, 3, std::string("a日b")), 1u);
    EXPECT_STREQ(slot, "a");
    EXPECT_EQ(SjisCopy(slot, 1, std::string("abc")), 0u);
    EXPECT_EQ(slot[0], 0);
}

TEST(SjisText, CopyDropsALeadByteWithoutItsPartner) {
    char slot[8];
    const char broken[] = {'a', static_cast<char>(0x93)};  // lead byte at the end
    EXPECT_EQ(SjisCopy(slot, sizeof slot, broken, sizeof broken), 1u);
    EXPECT_STREQ(slot, "a");
}

TEST(SjisText, LengthStopsAtTheSlotEnd) {
    char slot[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(SjisLength(slot, sizeof slot), 4u);
    EXPECT_EQ(SjisFromSlot(slot, sizeof slot), "abcd");
    slot[2] = 0;
    EXPECT_EQ(SjisLength(slot, sizeof slot), 2u);
}

TEST(SjisText, ComparisonIsByteForByte) {
    EXPECT_TRUE(SjisEqual("Corvinet.exe", "Corvinet.exe", 64));
    EXPECT_FALSE(SjisEqual("Corvinet.exe", "corvinet.exe", 64));
    EXPECT_FALSE(SjisEqual("Corvinet.exe", "Corvinet.ex", 64));
    EXPECT_TRUE(SjisEqual("abcX", "abcY", 3));
}

TEST(SjisText, TrailByteBackslashIsNotASeparator) {
    // 表 is 0x95 0x5C: its second byte is the code of "\".
    const std::string hyo = "表";
    ASSERT_EQ(static_cast<unsigned char>(hyo[1]), 0x5C);
    EXPECT_FALSE(SjisEndsWith(hyo, '\\'));
    EXPECT_TRUE(SjisEndsWith("表\\", '\\'));
    EXPECT_EQ(SjisFindLast("a\\表", '\\'), 2u);
    EXPECT_EQ(SjisFindLast("表", '\\'), std::string::npos);
}

TEST(TextConvert, ShiftJisToUtf8AndUtf16) {
    EXPECT_EQ(SjisToUtf8("通話記録\\"), u8"通話記録\\");
    EXPECT_EQ(SjisToUtf16("表示"), u"表示");
    EXPECT_EQ(Utf8ToSjis(u8"着信フォルダー"), "着信フォルダー");
    EXPECT_EQ(SjisToUtf8(""), "");
    // A damaged text still converts what it can.
    std::string damaged = std::string("a") + static_cast<char>(0x81) + "\x01" "b";
    std::string utf8 = SjisToUtf8(damaged);
    EXPECT_EQ(utf8.front(), 'a');
    EXPECT_EQ(utf8.back(), 'b');
}
