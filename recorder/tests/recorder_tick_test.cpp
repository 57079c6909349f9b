#include "recorder/recorder_tick.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "phonebook/phone_book.h"
#include "common/sjis_text.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::Utf8PathExists;

namespace {

struct QuietMessages : PhoneBookMessages {
    void NoSpace() override {}
    void AppendWarning(int) override {}
    void CannotOpen(const std::string&) override {}
    void CannotWrite(const std::string&) override {}
    void InUse(const std::string&) override {}
};

TEST(RecorderTickTest, CountdownRunsOncePerSecondAndStopsAtOne) {
    RecorderShared shared;
    RecorderTick tick(shared);
    shared.SilenceCountdown.store(4);
    std::vector<int> seen;
    for (int i = 0; i < 10; ++i) {
        tick.SilenceCountdownStep();
        seen.push_back(shared.SilenceCountdown.load());
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 3, 2, 2, 1, 1, 1, 1, 1, 1}));
    shared.SilenceCountdown.store(0);  // after a discard: stays
    tick.SilenceCountdownStep();
    tick.SilenceCountdownStep();
    EXPECT_EQ(shared.SilenceCountdown.load(), 0);
}

TEST(RecorderTickTest, NumberOutputModeFromTheLastCharacter) {
    EXPECT_TRUE(NumberOutputFromSetting("C:\\out\\number.txt").fileMode);
    EXPECT_FALSE(NumberOutputFromSetting("C:\\out\\").fileMode);
    EXPECT_FALSE(NumberOutputFromSetting("").fileMode);
    // 表 ends in the byte 0x5C, yet the text names a file.
    EXPECT_TRUE(NumberOutputFromSetting("番号表").fileMode);
}

class HandOverTest : public ::testing::Test {
protected:
    TestFolder dir;
    RecorderShared shared;
    RecorderTick tick{shared};
    QuietMessages messages;
    PhoneBook book{messages};

    void SetUp() override {
        ASSERT_TRUE(book.OpenPhoneBook(""));
        ASSERT_EQ(book.SaveRecord("0312345678", "ソニー", "取引先"), SaveResult::Saved);
        ASSERT_EQ(book.SaveRecord("09012345678901", "長い番号", ""), SaveResult::Saved);
    }
    HandOver Confirm(const std::string& number, int request = 1, int mode = 0, bool boardOpen = false,
                     const NumberOutputTarget& output = NumberOutputTarget()) {
        shared.ConfirmedNumber.Set(number);
        shared.CallNumber.Set(number);
        shared.NumberReady.store(request);
        return tick.HandOverNumber(&book, output, mode, boardOpen);
    }
};

TEST_F(HandOverTest, NameIsJoinedAfterASpace) {
    HandOver h = Confirm("0312345678");
    EXPECT_TRUE(h.pending);
    EXPECT_TRUE(h.lookedUp);
    EXPECT_TRUE(h.showNumber);
    EXPECT_EQ(h.fieldText, "0312345678 ソニー");
    EXPECT_EQ(shared.CallNumber.Get(), "0312345678 ソニー");
    EXPECT_EQ(h.name, "ソニー");
    EXPECT_TRUE(h.openBoard);
    EXPECT_EQ(h.boardNumber, "0312345678");
    EXPECT_EQ(shared.NumberReady.load(), 0);

    h = Confirm("0399999999");
    EXPECT_EQ(h.fieldText, "0399999999");  // no name, no space
    EXPECT_EQ(shared.CallNumber.Get(), "0399999999");

    h = tick.HandOverNumber(&book, NumberOutputTarget(), 0, false);
    EXPECT_FALSE(h.pending);  // nothing was ready
}

// Only the lookup key is cut: the field (and so the recording's name) keeps
// every digit of a long international number.
TEST_F(HandOverTest, LongNumbersAreLookedUpByTheirFirstFourteenBytes) {
    HandOver h = Confirm("0901234567890123");
    EXPECT_EQ(h.boardNumber, "09012345678901");
    EXPECT_EQ(h.fieldText, "0901234567890123 長い番号");
    EXPECT_EQ(shared.CallNumber.Get(), "0901234567890123 長い番号");
}

// The 14-byte cut never splits a double-byte character: "1234567890123＃"
// is looked up as "1234567890123" and keeps its "＃" in the field.
TEST_F(HandOverTest, FourteenByteCutIsOnACharacterBoundary) {
    ASSERT_EQ(book.SaveRecord("1234567890123", "山田", ""), SaveResult::Saved);
    HandOver h = Confirm("1234567890123＃");
    EXPECT_EQ(h.boardNumber, "1234567890123");
    EXPECT_EQ(h.name, "山田");
    EXPECT_EQ(h.fieldText, "1234567890123＃ 山田");
    EXPECT_NE(static_cast<unsigned char>(h.boardNumber.back()), 0x81) << "no bare lead byte";
}

TEST_F(HandOverTest, WithheldIsShownWithoutLookupOrBoard) {
    HandOver h = Confirm("非通知");
    EXPECT_TRUE(h.showNumber);
    EXPECT_EQ(h.fieldText, "非通知");
    EXPECT_FALSE(h.lookedUp);
    EXPECT_FALSE(h.openBoard);
    EXPECT_EQ(shared.NumberReady.load(), 0);
    // A click for the board of a withheld call opens nothing either.
    h = Confirm("非通知", 2);
    EXPECT_FALSE(h.showNumber);
    EXPECT_FALSE(h.openBoard);
}

TEST_F(HandOverTest, TextsStartingBelowADigitAreDropped) {
    for (const char* text : {"", "-123", " 03"}) {
        HandOver h = Confirm(text);
        EXPECT_TRUE(h.pending) << text;
        EXPECT_FALSE(h.showNumber) << text;
        EXPECT_FALSE(h.lookedUp) << text;
        EXPECT_FALSE(h.openBoard) << text;
        EXPECT_EQ(shared.NumberReady.load(), 0) << text;
    }
}

TEST_F(HandOverTest, BoardModes) {
    struct Case {
        const char* number;
        int request, mode;
        bool boardOpen, opens;
    } cases[] = {
        {"0312345678", 1, 0, false, true},  {"0399999999", 1, 0, false, true},
        {"0312345678", 1, 1, false, true},  {"0399999999", 1, 1, false, false},
        {"0399999999", 2, 1, false, true},  {"0312345678", 1, 2, false, false},
        {"0312345678", 2, 2, false, false}, {"0312345678", 1, 0, true, false},
    };
    for (const Case& c : cases) {
        HandOver h = Confirm(c.number, c.request, c.mode, c.boardOpen);
        EXPECT_EQ(h.openBoard, c.opens) << c.number << " request " << c.request << " mode " << c.mode;
        EXPECT_EQ(h.showNumber, c.request == 1);
        EXPECT_EQ(h.request, c.request);
    }
    // A click shows nothing and leaves CallNumber as it was.
    shared.CallNumber.Set("0312345678 ソニー");
    shared.ConfirmedNumber.Set("0312345678");
    shared.NumberReady.store(2);
    tick.HandOverNumber(&book, NumberOutputTarget(), 0, false);
    EXPECT_EQ(shared.CallNumber.Get(), "0312345678 ソニー");
}

TEST_F(HandOverTest, NumberOutputFileAndFolder) {
    shared.IncomingCall.store(1);
    HandOver h = Confirm("0312345678", 1, 0, false, NumberOutputFromSetting("number.txt"));
    EXPECT_TRUE(h.outputWritten);
    std::vector<uint8_t> bytes = ReadAllBytes("number.txt");
    std::string expected = "0312345678 ソニー";  // no terminator, no line end
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    h = Confirm("0399999999", 1, 0, false, NumberOutputFromSetting("number.txt"));
    bytes = ReadAllBytes("number.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0399999999");  // rewritten, not appended

    ASSERT_EQ(mkdir("out", 0700), 0);
    h = Confirm("0399999999", 1, 0, false, NumberOutputFromSetting("out\\"));
    EXPECT_TRUE(h.outputWritten);
    EXPECT_EQ(h.outputPath, "out\\0399999999.txt");
    EXPECT_TRUE(Utf8PathExists("out/0399999999.txt"));
    EXPECT_TRUE(ReadAllBytes("out/0399999999.txt").empty());

    // Outgoing calls and clicks write nothing.
    shared.IncomingCall.store(0);
    h = Confirm("0311111111", 1, 0, false, NumberOutputFromSetting("out\\"));
    EXPECT_FALSE(h.outputWritten);
    EXPECT_FALSE(Utf8PathExists("out/0311111111.txt"));
}

TEST_F(HandOverTest, NumberOutputNameOverTheLimitIsNotMade) {
    shared.IncomingCall.store(1);
    ASSERT_EQ(mkdir("o", 0700), 0);
    // folder + number + ".txt" + terminator: 2 + 10 + 4 + 1 = 17 bytes with
    // the number alone; a long phone book name pushes it over 456.
    std::string name(200, 'n');
    ASSERT_EQ(book.SaveRecord("0322222222", name, ""), SaveResult::Saved);
    std::string longFolder = "o\\" + std::string(240, 'd') + "\\";
    HandOver h = Confirm("0322222222", 1, 0, false, NumberOutputFromSetting(longFolder));
    EXPECT_FALSE(h.outputWritten);
    EXPECT_TRUE(h.outputFailed);
    EXPECT_EQ(h.outputPath.size(), 2 + 241 + 10 + 1 + 200 + 4u);
    // Exactly at the limit it is made.
    std::string folder = "o\\" + std::string(456 - 1 - 4 - 211 - 3, 'd') + "\\";
    ASSERT_EQ(mkdir(("o/" + std::string(folder.size() - 3, 'd')).c_str(), 0700), 0);
    h = Confirm("0322222222", 1, 0, false, NumberOutputFromSetting(folder));
    EXPECT_EQ(h.outputPath.size() + 1, kNumberOutputNameSize);
    EXPECT_TRUE(h.outputWritten);
}

}  // namespace
