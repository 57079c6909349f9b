#include "common/position_text.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace suite;

TEST(PositionText, RoundTripsAndClampsToTheSlot) {
    struct Case {
        int value;
        const char* text;
        int readBack;
    } cases[] = {
        {0, "0", 0},         {390, "390", 390},     {-235, "-235", -235}, {9999, "9999", 9999},
        {-999, "-999", -999}, {10000, "9999", 9999}, {-5000, "-999", -999}, {123456, "9999", 9999},
    };
    for (const Case& c : cases) {
        char slot[7];
        std::memset(slot, 'Z', sizeof slot);
        WritePositionText(TextSlot(reinterpret_cast<uint8_t*>(slot), kPositionTextSize), c.value);
        EXPECT_STREQ(slot, c.text) << c.value;
        EXPECT_EQ(slot[5], 'Z') << "wrote past the 5-byte slot for " << c.value;
        EXPECT_EQ(ReadPositionText(ConstTextSlot(slot)), c.readBack);
    }
}

TEST(PositionText, ReadsDecimalTextsTruncated) {
    struct Case {
        const char text[5];
        int value;
    } cases[] = {
        {"12.9", 12}, {"-3.7", -3}, {"", 0}, {"abc", 0}, {" 42", 42}, {"7x", 7},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadPositionText(ConstTextSlot(c.text)), c.value) << c.text;
}

TEST(PositionText, UnterminatedOrDamagedSlotsStayInside) {
    // Five digits and no terminator: only the slot is read.
    const char slot[10] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0};
    EXPECT_EQ(ReadPositionText(ConstTextSlot(slot)), 12345);
    const char huge[5] = {'1', 'e', '9', '9', 0};
    EXPECT_EQ(ReadPositionText(ConstTextSlot(huge)), 1000000000);
    const char nan[5] = {'n', 'a', 'n', 0, 0};
    EXPECT_EQ(ReadPositionText(ConstTextSlot(nan)), 0);
}
