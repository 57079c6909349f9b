#include "phonebook/phone_book.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "common/file_layer.h"
#include "phonebook/tests/phone_book_test_util.h"

using namespace suite;
using namespace pb_test;

namespace {

class PhoneBookTest : public ::testing::Test {
protected:
    PhoneBookTest() { mkdir("book", 0755); }

    // A fresh store over folder "book", as the recorder opens it at start.
    PhoneBook& Open(PhoneBookOptions options = PhoneBookOptions()) {
        book_.reset(new PhoneBook(messages, options));
        EXPECT_TRUE(book_->OpenPhoneBook("book"));
        return *book_;
    }
    InfoRecord Read(uint32_t entry) {
        InfoRecord r;
        EXPECT_TRUE(book_->ReadRecord(entry, &r));
        return r;
    }
    uint32_t Find(const std::string& number) {
        std::optional<uint32_t> e = book_->FindEntry(number);
        EXPECT_TRUE(e.has_value()) << number;
        return e.value_or(UINT32_MAX);
    }

    suite_test::TestFolder folder;
    RecordedMessages messages;
    std::unique_ptr<PhoneBook> book_;
};

TEST_F(PhoneBookTest, MissingFilesAreCreatedAndTheFirstSaveTakesEntryZeroAndBlockZero) {
    PhoneBook& book = Open();
    Files f = Files::Read();
    EXPECT_TRUE(f.index.empty() && f.data.empty() && f.area.empty());
    EXPECT_TRUE(suite_test::Utf8PathExists("book/InfoData.binary"));
    EXPECT_EQ(book.EntryCount(), 0u);

    const std::string name = "山田 太郎";
    const std::string info = "請求書送付済み\r\n折り返し希望";
    ASSERT_EQ(book.SaveRecord("0312345678", name, info), SaveResult::Saved);

    f = Files::Read();
    ASSERT_EQ(f.index.size(), 104u);
    EXPECT_EQ(U32(f.index, 0), 1u);
    EXPECT_EQ(0, std::memcmp(&f.index[4], "0312345678\0\0\0\0\0\0", 16));
    EXPECT_EQ(U32(f.index, ListAt(0, 0)), 1u);
    EXPECT_EQ(U32(f.index, ListAt(0, 1)), 0u);
    EXPECT_EQ(f.area, Bytes{1});
    ASSERT_EQ(f.data.size(), 512u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&f.data[0])), name);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&f.data[202])), info);

    Open();
    EXPECT_EQ(Find("0312345678"), 0u);
    EXPECT_EQ(Read(0).name, name);
    EXPECT_EQ(Read(0).information, info);
    EXPECT_EQ(book_->ReadName(0), name);
    EXPECT_TRUE(messages.cannotOpen.empty() && messages.cannotWrite.empty());
}

TEST_F(PhoneBookTest, ShiftJisFolderNameMapsToTheFileSystem) {
    ASSERT_TRUE(CreateFolderPath("マニュアル 兼 作業フォルダー"));
    PhoneBook book(messages);
    ASSERT_TRUE(book.OpenPhoneBook("マニュアル 兼 作業フォルダー"));
    ASSERT_EQ(book.SaveRecord("0120", "名", ""), SaveResult::Saved);
    EXPECT_EQ(suite_test::ReadAllBytes(u8"マニュアル 兼 作業フォルダー/EriaTable.binary"), Bytes{1});
}

TEST_F(PhoneBookTest, RecordLengthDecidesTheBlockCount) {
    struct Case {
        size_t infoLength, blocks, storedLength;
    } cases[] = {{309, 1, 309}, {310, 2, 310}, {0, 1, 0}, {10000, 20, 10000}, {10040, 20, 10000}};
    PhoneBook& book = Open();
    uint32_t entry = 0;
    for (const Case& c : cases) {
        std::string number = "0" + std::to_string(c.infoLength);
        ASSERT_EQ(book.SaveRecord(number, "n", Text(c.infoLength)), SaveResult::Saved);
        Files f = Files::Read();
        EXPECT_EQ(book.Blocks(entry).size(), c.blocks) << c.infoLength;
        EXPECT_EQ(U32(f.index, ListAt(entry, static_cast<uint32_t>(c.blocks))), 0u) << "list ends after the record";
        EXPECT_NE(U32(f.index, ListAt(entry, static_cast<uint32_t>(c.blocks - 1))), 0u);
        EXPECT_EQ(Read(entry).information, Text(c.infoLength).substr(0, c.storedLength));
        ++entry;
    }
    EXPECT_EQ(U32(Files::Read().index, ListAt(3, 20)), 0u) << "the 21st word of a 20-block record";

    // Names: at most 201 bytes, never a split double-byte character.
    ASSERT_EQ(book.SaveRecord("1", std::string(250, 'x'), "i"), SaveResult::Saved);
    EXPECT_EQ(Read(Find("1")).name, std::string(201, 'x'));
    ASSERT_EQ(book.SaveRecord("2", std::string(200, 'x') + "漢", "i"), SaveResult::Saved);
    EXPECT_EQ(Read(Find("2")).name, std::string(200, 'x'));
    EXPECT_EQ(Read(Find("2")).information, "i");
}

TEST_F(PhoneBookTest, ShrinkingReleasesTheTailAndWritesOnlyItsBytes) {
    PhoneBook& book = Open();
    ASSERT_EQ(book.SaveRecord("011", "a", Text(InfoForBlocks(8))), SaveResult::Saved);
    EXPECT_EQ(book.Blocks(0), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    Files before = Files::Read();

    ASSERT_EQ(book.SaveRecord("011", "b", Text(InfoForBlocks(3), 'q')), SaveResult::Saved);
    Files after = Files::Read();
    EXPECT_EQ(book.Blocks(0), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(after.area, (Bytes{1, 1, 1, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(0), EntryAt(1)}}));
    EXPECT_TRUE(OnlyChangedWithin(before.data, after.data, {{0, 3 * 512}})) << "released blocks are not cleared";
    EXPECT_TRUE(OnlyChangedWithin(before.area, after.area, {{3, 8}}));
    EXPECT_EQ(Read(0).information, Text(InfoForBlocks(3), 'q'));
}

TEST_F(PhoneBookTest, GrowingTakesTheLowestFreeBlocksAndReleasedOnesComeFirst) {
    PhoneBook& book = Open();
    ASSERT_EQ(book.SaveRecord("1", "a", Text(InfoForBlocks(2))), SaveResult::Saved);  // 0 1
    ASSERT_EQ(book.SaveRecord("2", "b", Text(InfoForBlocks(3))), SaveResult::Saved);  // 2 3 4
    ASSERT_EQ(book.SaveRecord("3", "c", ""), SaveResult::Saved);                      // 5
    ASSERT_TRUE(book.DeleteEntry(1));
    Files before = Files::Read();

    ASSERT_EQ(book.SaveRecord("1", "a", Text(InfoForBlocks(4), 'z')), SaveResult::Saved);
    Files after = Files::Read();
    EXPECT_EQ(book.Blocks(0), (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_TRUE(OnlyChangedWithin(before.area, after.area, {{2, 4}}));
    EXPECT_TRUE(OnlyChangedWithin(before.data, after.data, {{0, 4 * 512}}));
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(0), EntryAt(1)}}));

    // Entry 1 is free again and is reused; block 4 comes before block 6.
    ASSERT_EQ(book.SaveRecord("4", "d", ""), SaveResult::Saved);
    EXPECT_EQ(Find("4"), 1u);
    EXPECT_EQ(book.Blocks(1), std::vector<uint32_t>{4});
    ASSERT_EQ(book.SaveRecord("5", "e", Text(InfoForBlocks(2))), SaveResult::Saved);
    EXPECT_EQ(book.Blocks(Find("5")), (std::vector<uint32_t>{6, 7}));
    EXPECT_EQ(Read(Find("3")).name, "c");
}

TEST_F(PhoneBookTest, SaveTakesTheLastFreeEntryAndAddTheFirst) {
    PhoneBook& book = Open();
    for (int i = 0; i < 9; ++i) ASSERT_EQ(book.SaveRecord("0" + std::to_string(i), "n", ""), SaveResult::Saved);
    ASSERT_TRUE(book.DeleteEntry(3));
    ASSERT_TRUE(book.DeleteEntry(7));

    ASSERT_EQ(book.SaveRecord("0990", "board", "x"), SaveResult::Saved);
    EXPECT_EQ(Find("0990"), 7u);

    Files before = Files::Read();
    EXPECT_EQ(book.AddNumber("0991"), std::optional<uint32_t>(3));
    Files after = Files::Read();
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(3), EntryAt(3) + 20}}));
    EXPECT_EQ(0, std::memcmp(&after.index[EntryAt(3)], "0991", 5));
    EXPECT_EQ(U32(after.index, ListAt(3, 0)), 0u);
    EXPECT_EQ(after.data, before.data);
    EXPECT_EQ(after.area, before.area);
    EXPECT_EQ(book.EntryCount(), 9u);
    EXPECT_EQ(book.ReadName(3), "");
}

TEST_F(PhoneBookTest, AppendLimitWarnsFrom91AndStopsAt100) {
    PhoneBook& book = Open();
    for (int i = 0; i < 100; ++i) {
        messages.warnings.clear();
        ASSERT_EQ(book.SaveRecord(std::to_string(1000 + i), "n", ""), SaveResult::Saved);
        if (i > 90) {
            EXPECT_EQ(messages.warnings, std::vector<int>{100 - i}) << "after " << i << " appends";
        } else {
            EXPECT_TRUE(messages.warnings.empty()) << "after " << i << " appends";
        }
    }
    messages.warnings.clear();
    Files before = Files::Read();
    EXPECT_EQ(book.SaveRecord("5555", "n", ""), SaveResult::Refused);
    EXPECT_EQ(messages.warnings, std::vector<int>{0});
    EXPECT_FALSE(book.CheckAppendLimit());
    Files after = Files::Read();
    EXPECT_EQ(after.index, before.index);
    EXPECT_EQ(after.area, before.area);
    EXPECT_EQ(after.data, before.data);
    EXPECT_FALSE(book.FindEntry("5555"));

    // Reusing a free entry is no append.
    ASSERT_TRUE(book.DeleteEntry(40));
    messages.warnings.clear();
    EXPECT_EQ(book.SaveRecord("5555", "n", ""), SaveResult::Saved);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(Find("5555"), 40u);

    // A new run starts counting again.
    Open();
    EXPECT_TRUE(book_->CheckAppendLimit());
    EXPECT_EQ(book_->SaveRecord("6666", "n", ""), SaveResult::Saved);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_EQ(book_->EntryCount(), 101u);
}

TEST_F(PhoneBookTest, AddCheckWarnsWithTheRemainingCount) {
    PhoneBook& book = Open();
    for (int i = 0; i < 95; ++i) ASSERT_TRUE(book.AddNumber(std::to_string(2000 + i)));
    messages.warnings.clear();
    EXPECT_TRUE(book.CheckAppendLimit());
    EXPECT_EQ(messages.warnings, std::vector<int>{5});
}

TEST_F(PhoneBookTest, AddedLastEntryOfTwentyBytesSurvivesARestart) {
    PhoneBook& book = Open();
    ASSERT_EQ(book.SaveRecord("01", "a", ""), SaveResult::Saved);
    Files before = Files::Read();
    ASSERT_EQ(book.AddNumber("02"), std::optional<uint32_t>(1));
    Files after = Files::Read();
    EXPECT_EQ(after.index.size(), EntryAt(1) + 20) << "EntryCount and 20 bytes of the entry";
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{0, 4}, {EntryAt(1), EntryAt(1) + 20}}));
    EXPECT_EQ(U32(after.index, 0), 2u);

    Open();
    EXPECT_EQ(book_->EntryCount(), 2u);
    EXPECT_EQ(Find("02"), 1u);
    ASSERT_TRUE(book_->SetName(1, "後から"));
    Open();
    EXPECT_EQ(Read(1).name, "後から");
}

TEST_F(PhoneBookTest, DeletedEntryIsFreeAndItsBlocksAreReleased) {
    PhoneBook& book = Open();
    ASSERT_EQ(book.SaveRecord("0111", "a", Text(InfoForBlocks(3))), SaveResult::Saved);
    ASSERT_EQ(book.SaveRecord("0222", "b", "keep"), SaveResult::Saved);
    Files before = Files::Read();

    ASSERT_TRUE(book.DeleteEntry(0));
    Files after = Files::Read();
    EXPECT_EQ(after.index[EntryAt(0)], 0);
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(0), EntryAt(0) + 1}}));
    EXPECT_EQ(after.area, (Bytes{0, 0, 0, 1}));
    EXPECT_TRUE(OnlyChangedWithin(before.data, after.data, {{202, 203}, {714, 715}, {1226, 1227}}));
    EXPECT_EQ(after.data[202], 0);
    EXPECT_FALSE(book.FindEntry("0111"));
    EXPECT_FALSE(book.DeleteEntry(0)) << "nothing left to delete";

    Open();
    EXPECT_EQ(book_->Number(0), "");
    EXPECT_FALSE(book_->FindEntry("0111"));
    EXPECT_EQ(Read(Find("0222")).information, "keep");
}

TEST_F(PhoneBookTest, ClearingTheInformationKeepsTheNameAndOneBlock) {
    PhoneBook& book = Open();
    ASSERT_EQ(book.SaveRecord("0333", "名前", Text(InfoForBlocks(5))), SaveResult::Saved);
    ASSERT_TRUE(book.AddNumber("0444"));
    Files before = Files::Read();

    ASSERT_TRUE(book.ClearInformation("0333"));
    Files after = Files::Read();
    EXPECT_EQ(book.Blocks(0), std::vector<uint32_t>{0});
    EXPECT_EQ(Read(0).name, "名前");
    EXPECT_EQ(Read(0).information, "");
    EXPECT_EQ(after.area, (Bytes{1, 0, 0, 0, 0}));
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(0) + 20, EntryAt(0) + 24}}));
    EXPECT_EQ(U32(after.index, ListAt(0, 1)), 0u);
    EXPECT_TRUE(OnlyChangedWithin(before.data, after.data,
                                  {{202, 203}, {714, 715}, {1226, 1227}, {1738, 1739}, {2250, 2251}}));

    // Nothing to clear: a number without blocks, an unknown number.
    before = after;
    EXPECT_FALSE(book.ClearInformation("0444"));
    EXPECT_FALSE(book.ClearInformation("0999"));
    after = Files::Read();
    EXPECT_EQ(after.index, before.index);
    EXPECT_EQ(after.data, before.data);
}

TEST_F(PhoneBookTest, SetNameTakesABlockOnlyWhenTheEntryHasNone) {
    PhoneBook& book = Open();
    // Blocks 1..3 are released by a shrinking save, which leaves their text.
    ASSERT_EQ(book.SaveRecord("0555", "old", Text(InfoForBlocks(4))), SaveResult::Saved);
    ASSERT_EQ(book.SaveRecord("0555", "old", ""), SaveResult::Saved);
    uint32_t entry = book.AddNumber("0666").value();
    Files before = Files::Read();

    ASSERT_TRUE(book.SetName(entry, "新しい名前"));
    Files after = Files::Read();
    EXPECT_EQ(book.Blocks(entry), std::vector<uint32_t>{1});
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(entry) + 16, EntryAt(entry) + 24}}));
    EXPECT_TRUE(OnlyChangedWithin(before.data, after.data, {{512, 512 + 203}}));
    EXPECT_TRUE(OnlyChangedWithin(before.area, after.area, {{1, 2}}));
    EXPECT_EQ(book.ReadName(entry), "新しい名前");
    EXPECT_EQ(Read(entry).information, "") << "no text of the earlier record shows through";

    // With a block: the 202-byte name field only, the information stays.
    ASSERT_EQ(book.SaveRecord("0666", "x", "情報"), SaveResult::Saved);
    before = Files::Read();
    ASSERT_TRUE(book.SetName(entry, "別名"));
    after = Files::Read();
    EXPECT_TRUE(OnlyChangedWithin(before.data, after.data, {{512, 512 + 202}}));
    EXPECT_EQ(after.index, before.index);
    EXPECT_EQ(Read(entry).information, "情報");

    // A free entry has no record to name.
    ASSERT_TRUE(book.DeleteEntry(entry));
    before = Files::Read();
    EXPECT_FALSE(book.SetName(entry, "x"));
    after = Files::Read();
    EXPECT_EQ(after.data, before.data);
    EXPECT_EQ(after.area, before.area);
}

TEST_F(PhoneBookTest, SetNumberEmptiedKeepsTheBlocksForTheSameEntry) {
    PhoneBook& book = Open();
    ASSERT_EQ(book.SaveRecord("0777", "a", Text(InfoForBlocks(2))), SaveResult::Saved);
    Files before = Files::Read();

    ASSERT_TRUE(book.SetNumber(0, ""));
    Files after = Files::Read();
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(0), EntryAt(0) + 16}}));
    EXPECT_EQ(after.index[EntryAt(0)], 0);
    EXPECT_EQ(after.area, before.area) << "blocks stay in use";
    EXPECT_FALSE(book.FindEntry("0777"));

    ASSERT_TRUE(book.SetNumber(0, "0778"));
    after = Files::Read();
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(0), EntryAt(0) + 16}}));
    EXPECT_EQ(Find("0778"), 0u);
    EXPECT_EQ(Read(0).information, Text(InfoForBlocks(2)));
}

TEST_F(PhoneBookTest, NumberForADeletedEntryDoesNotBringBackItsOldBlocks) {
    PhoneBook& book = Open();
    ASSERT_EQ(book.SaveRecord("0101", "gone", ""), SaveResult::Saved);  // entry 0, block 0
    ASSERT_EQ(book.SaveRecord("0202", "owner", ""), SaveResult::Saved);  // entry 1, block 1
    ASSERT_TRUE(book.DeleteEntry(0));  // the file still lists block 0 for entry 0
    const std::string info = Text(InfoForBlocks(2), 'k');
    ASSERT_EQ(book.SaveRecord("0202", "owner", info), SaveResult::Saved);
    ASSERT_EQ(book.Blocks(1), (std::vector<uint32_t>{1, 0}));
    Files before = Files::Read();

    ASSERT_TRUE(book.SetNumber(0, "0505"));
    Files after = Files::Read();
    EXPECT_TRUE(OnlyChangedWithin(before.index, after.index, {{EntryAt(0), EntryAt(0) + 20}}));
    EXPECT_EQ(U32(after.index, ListAt(0, 0)), 0u);
    EXPECT_TRUE(book.Blocks(0).empty());
    EXPECT_EQ(Read(0).name, "");
    ASSERT_TRUE(book.SetName(0, "new"));
    EXPECT_EQ(book.Blocks(0), std::vector<uint32_t>{2});

    Open();
    EXPECT_EQ(book_->Blocks(0), std::vector<uint32_t>{2});
    EXPECT_EQ(Read(Find("0202")).information, info);
    EXPECT_EQ(Read(Find("0505")).name, "new");
}

TEST_F(PhoneBookTest, SaveReplacesInPlaceAndRefusesNumbersThatAreNoNumbers) {
    PhoneBook& book = Open();
    ASSERT_EQ(book.SaveRecord("0123456789012345", "a", "1"), SaveResult::Saved);
    EXPECT_EQ(book.Number(0), "01234567890123") << "cut to 14 bytes";
    ASSERT_EQ(book.SaveRecord("0123456789012345", "b", "2"), SaveResult::Saved);
    EXPECT_EQ(book.EntryCount(), 1u);
    EXPECT_EQ(book.Blocks(0), std::vector<uint32_t>{0});
    EXPECT_EQ(Read(Find("01234567890123")).name, "b");

    Files before = Files::Read();
    for (const char* bad : {"", "+81312345678", "非通知", "\x80" "12"}) {
        EXPECT_EQ(book.SaveRecord(bad, "x", "y"), SaveResult::InvalidNumber) << bad;
    }
    Files after = Files::Read();
    EXPECT_EQ(after.index, before.index);
    EXPECT_EQ(after.data, before.data);
    EXPECT_FALSE(book.AddNumber(""));
}

TEST_F(PhoneBookTest, NoSpaceIsFoundBeforeAnythingIsWritten) {
    Files files;
    files.area.assign(kBlockLimit, 1);
    files.area[5] = 0;
    files.area[9] = 0;
    files.Write();
    PhoneBook& book = Open();
    Files before = Files::Read();

    EXPECT_EQ(book.SaveRecord("0888", "a", Text(InfoForBlocks(3))), SaveResult::NoSpace);
    EXPECT_EQ(messages.noSpace, 1);
    Files after = Files::Read();
    EXPECT_EQ(after.index, before.index);
    EXPECT_EQ(after.data, before.data);
    EXPECT_TRUE(after.area == before.area);
    EXPECT_EQ(book.EntryCount(), 0u);

    ASSERT_EQ(book.SaveRecord("0888", "a", Text(InfoForBlocks(2))), SaveResult::Saved);
    EXPECT_EQ(book.Blocks(0), (std::vector<uint32_t>{5, 9}));

    uint32_t added = book.AddNumber("0999").value();
    before = Files::Read();
    EXPECT_FALSE(book.SetName(added, "x"));
    EXPECT_EQ(messages.noSpace, 2);
    after = Files::Read();
    EXPECT_EQ(after.index, before.index);
    EXPECT_EQ(book.ReadName(added), "");
}

TEST_F(PhoneBookTest, AreaImageGrowsPastTwoThousandNewBlocksInOneRun) {
    PhoneBook& book = Open();
    const std::string info = Text(kMaxInformationLength);  // 20 blocks
    for (int i = 0; i < 100; ++i) ASSERT_EQ(book.SaveRecord("0" + std::to_string(i), "n", info), SaveResult::Saved);
    // An emptied number keeps its blocks; a save into that free entry takes new ones.
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(book.SetNumber(static_cast<uint32_t>(i), ""));
        ASSERT_EQ(book.SaveRecord("5000" + std::to_string(i), "m", info), SaveResult::Saved);
    }
    EXPECT_EQ(book.Blocks(Find("50009")).back(), 2199u);
    Files f = Files::Read();
    EXPECT_EQ(f.area, Bytes(2200, 1));
    Open();
    for (int i = 10; i < 100; ++i) EXPECT_TRUE(Read(Find("0" + std::to_string(i))).information == info) << i;
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(Read(Find("5000" + std::to_string(i))).information == info) << i;
}

TEST_F(PhoneBookTest, UnopenableFilesLeaveTheRecorderWithoutAPhoneBook) {
    PhoneBook book(messages);
    EXPECT_FALSE(book.OpenPhoneBook("no such folder"));
    EXPECT_EQ(messages.cannotOpen, std::vector<std::string>{"no such folder\\EriaTable.binary"});
    EXPECT_FALSE(book.IsOpen());
    EXPECT_FALSE(book.FindEntry("0123"));
    InfoRecord r;
    EXPECT_FALSE(book.ReadRecord(0, &r));
    EXPECT_EQ(book.SaveRecord("0123", "a", "b"), SaveResult::Failed);
    EXPECT_EQ(messages.cannotWrite.size(), 1u) << "a refused save is told";
    EXPECT_FALSE(book.AddNumber("0123"));

    // A folder where the index should be.
    mkdir("book/InfoIndex.binary", 0755);
    messages.cannotOpen.clear();
    EXPECT_FALSE(book.OpenPhoneBook("book"));
    EXPECT_EQ(messages.cannotOpen, std::vector<std::string>{"book\\InfoIndex.binary"});
    EXPECT_FALSE(book.IsOpen());
}

TEST_F(PhoneBookTest, OneWriterAtATimeAndReadersAlongside) {
    PhoneBook& first = Open();
    ASSERT_EQ(first.SaveRecord("0123", "a", "b"), SaveResult::Saved);

    RecordedMessages secondMessages;
    PhoneBook second(secondMessages);
    EXPECT_FALSE(second.OpenPhoneBook("book"));
    EXPECT_EQ(secondMessages.inUse, std::vector<std::string>{"book\\EriaTable.binary"});
    EXPECT_TRUE(secondMessages.cannotOpen.empty());
    EXPECT_FALSE(second.IsOpen());

    PhoneBookOptions readOnly;
    readOnly.readOnly = true;
    PhoneBook reader(secondMessages, readOnly);
    EXPECT_TRUE(reader.OpenPhoneBook("book"));
    EXPECT_TRUE(reader.FindEntry("0123").has_value());

    book_.reset();
    EXPECT_TRUE(second.OpenPhoneBook("book")) << "the lock goes with the first writer";
    EXPECT_EQ(second.SaveRecord("0124", "c", "d"), SaveResult::Saved);
}

TEST_F(PhoneBookTest, FailedWriteIsReportedAndStopsFurtherChanges) {
    ASSERT_EQ(symlink("/dev/full", "book/EriaTable.binary"), 0);
    PhoneBook& book = Open();
    EXPECT_EQ(book.SaveRecord("0123", "a", "b"), SaveResult::Failed);
    EXPECT_EQ(messages.cannotWrite, std::vector<std::string>{"book\\EriaTable.binary"});
    EXPECT_FALSE(book.IsWritable());
    EXPECT_EQ(book.SaveRecord("0124", "a", "b"), SaveResult::Failed);
    EXPECT_EQ(messages.cannotWrite.size(), 2u);
    EXPECT_TRUE(suite_test::ReadAllBytes("book/InfoData.binary").empty()) << "no block written after the failure";

    // The count written before the failure promises an entry that is not there.
    unlink("book/EriaTable.binary");
    Open();
    EXPECT_EQ(book_->EntryCount(), 0u);
    EXPECT_EQ(book_->SaveRecord("0123", "a", "b"), SaveResult::Saved);
    EXPECT_EQ(U32(Files::Read().index, 0), 1u);
}

TEST_F(PhoneBookTest, ReadOnlyFilesAreReadButNotChanged) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
    {
        PhoneBook& book = Open();
        ASSERT_EQ(book.SaveRecord("0123", "a", "b"), SaveResult::Saved);
    }
    book_.reset();
    for (const char* f : {"book/InfoIndex.binary", "book/InfoData.binary", "book/EriaTable.binary"}) {
        chmod(f, 0444);
    }
    Files before = Files::Read();
    PhoneBook& book = Open();
    EXPECT_EQ(messages.cannotWrite.size(), 1u);
    EXPECT_EQ(Read(Find("0123")).information, "b");
    EXPECT_EQ(book.SaveRecord("0124", "a", "b"), SaveResult::Failed);
    EXPECT_FALSE(book.DeleteEntry(0));
    Files after = Files::Read();
    EXPECT_EQ(after.index, before.index);
}

TEST_F(PhoneBookTest, ReadOnlyOptionNeverWrites) {
    {
        PhoneBook& book = Open();
        ASSERT_EQ(book.SaveRecord("0123", "a", "b"), SaveResult::Saved);
    }
    Files f = Files::Read();
    PutU32(&f.index, ListAt(0, 1), 77);  // damaged list: would be repaired by a writing open
    f.Write();
    PhoneBookOptions options;
    options.readOnly = true;
    PhoneBook& book = Open(options);
    EXPECT_EQ(Read(0).information, "b");
    EXPECT_EQ(book.SaveRecord("0124", "a", "b"), SaveResult::Failed);
    EXPECT_EQ(Files::Read().index, f.index);
}

}  // namespace
