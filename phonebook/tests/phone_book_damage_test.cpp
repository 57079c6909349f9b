// Damaged phone book files: read as far as they are sound, never outside a
// buffer or a file, and never written into a block of another entry.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <random>

#include "phonebook/phone_book.h"
#include "phonebook/tests/phone_book_test_util.h"

using namespace suite;
using namespace pb_test;

namespace {

// Files built byte by byte.
struct Crafted : Files {
    Crafted() { index.assign(4, 0); }

    uint32_t Add(const std::string& number, const std::vector<uint32_t>& words) {
        uint32_t entry = static_cast<uint32_t>((index.size() - 4) / 100);
        index.resize(index.size() + 100, 0);
        std::memcpy(&index[EntryAt(entry)], number.data(), std::min<size_t>(number.size(), 16));
        for (size_t k = 0; k < words.size(); ++k) PutU32(&index, ListAt(entry, static_cast<uint32_t>(k)), words[k]);
        PutU32(&index, 0, entry + 1);
        return entry;
    }
    // Marks the block in use and fills it: name, then information with its NUL if it fits.
    void Block(uint32_t block, const std::string& name, const std::string& info) {
        if (area.size() <= block) area.resize(block + 1, 0);
        area[block] = 1;
        if (data.size() < (block + 1) * 512) data.resize((block + 1) * 512, 0);
        uint8_t* p = &data[block * 512];
        std::memset(p, 0, 512);
        std::memcpy(p, name.data(), name.size());
        std::memcpy(p + 202, info.data(), std::min<size_t>(info.size(), 310));
    }
};

class PhoneBookDamageTest : public ::testing::Test {
protected:
    PhoneBookDamageTest() { mkdir("book", 0755); }

    PhoneBook& Open(const Files& files) {
        files.Write();
        book_.reset(new PhoneBook(messages));
        EXPECT_TRUE(book_->OpenPhoneBook("book"));
        return *book_;
    }
    PhoneBook& Reopen() {
        book_.reset(new PhoneBook(messages));
        EXPECT_TRUE(book_->OpenPhoneBook("book"));
        return *book_;
    }
    InfoRecord Read(uint32_t entry) {
        InfoRecord r;
        EXPECT_TRUE(book_->ReadRecord(entry, &r));
        return r;
    }

    suite_test::TestFolder folder;
    RecordedMessages messages;
    std::unique_ptr<PhoneBook> book_;
};

TEST_F(PhoneBookDamageTest, EntryCountBeyondTheFileCountsOnlyEntriesThatAreThere) {
    for (uint32_t count : {3u, 1000u, 0xFFFFFFFFu}) {
        Crafted f;
        f.Add("0111", {1});
        f.Add("0222", {2});
        f.Block(0, "a", "x");
        f.Block(1, "b", "y");
        PutU32(&f.index, 0, count);
        PhoneBook& book = Open(f);
        EXPECT_EQ(book.EntryCount(), 2u) << count;
        EXPECT_EQ(Read(1).information, "y");
        ASSERT_EQ(book.SaveRecord("0333", "c", "z"), SaveResult::Saved);
        EXPECT_EQ(book.FindEntry("0333"), std::optional<uint32_t>(2));
        EXPECT_EQ(U32(Files::Read().index, 0), 3u) << "the append writes the true count";
    }
}

TEST_F(PhoneBookDamageTest, TruncatedIndexKeepsEntriesWithNumberAndFirstWord) {
    Crafted full;
    full.Add("0111", {1});
    full.Add("0222", {2});
    full.Block(0, "a", "x");
    full.Block(1, "b", "y");
    struct Case {
        size_t size;
        uint32_t entries;
    } cases[] = {{0, 0}, {2, 0}, {4, 0}, {23, 0}, {24, 1}, {50, 1}, {104, 1}, {123, 1}, {124, 2}};
    for (const Case& c : cases) {
        Files f = full;
        f.index.resize(c.size);
        PhoneBook& book = Open(f);
        EXPECT_EQ(book.EntryCount(), c.entries) << c.size;
        for (uint32_t e = 0; e < c.entries; ++e) EXPECT_FALSE(Read(e).name.empty());
    }
}

TEST_F(PhoneBookDamageTest, UnsoundBlockNumbersEndTheList) {
    struct Case {
        const char* what;
        uint32_t word;
    } cases[] = {
        {"past the limit", 0xFFFFFFFF},        {"the limit itself", kBlockLimit + 1},
        {"past the area table", 40},           {"free in the area table", 3},
        {"past the end of the data file", 5},  {"listed twice", 1},
    };
    for (const Case& c : cases) {
        Crafted f;
        f.Add("0111", {1, 2, c.word, 3});
        f.Block(0, "name", Text(310));  // no NUL in block 0: the information runs on
        f.Block(1, "", "tail");
        f.area.resize(6, 0);
        f.area[4] = 1;  // block 4 in use, but the data file ends before it
        f.area[2] = 0;  // block 2 free
        PhoneBook& book = Open(f);
        EXPECT_EQ(book.Blocks(0), (std::vector<uint32_t>{0, 1})) << c.what;
        EXPECT_EQ(Read(0).information, Text(310)) << c.what << ": block 1 starts with an empty name";
        EXPECT_EQ(U32(Files::Read().index, ListAt(0, 2)), 0u) << c.what << ": the cut is written back";
        EXPECT_EQ(Files::Read().index.size(), f.index.size());

        // A bigger save takes free blocks, never the unsound ones.
        ASSERT_EQ(book.SaveRecord("0111", "n", Text(InfoForBlocks(4))), SaveResult::Saved);
        EXPECT_EQ(book.Blocks(0), (std::vector<uint32_t>{0, 1, 2, 3})) << c.what;
    }
}

TEST_F(PhoneBookDamageTest, ListWithoutEndingZeroStopsAfterTwentyBlocks) {
    Crafted f;
    std::vector<uint32_t> words;
    for (uint32_t b = 0; b < 21; ++b) {
        words.push_back(b + 1);
        f.Block(b, b == 0 ? "full" : "", "");
    }
    f.Add("0111", words);
    PhoneBook& book = Open(f);
    EXPECT_EQ(book.Blocks(0).size(), 20u);
    EXPECT_EQ(U32(Files::Read().index, ListAt(0, 20)), 0u);
    EXPECT_EQ(Read(0).name, "full");
    // Block 20 stays in use, unowned; nothing hands it out again.
    ASSERT_EQ(book.SaveRecord("0222", "n", ""), SaveResult::Saved);
    EXPECT_EQ(book.Blocks(1), std::vector<uint32_t>{21});
}

TEST_F(PhoneBookDamageTest, BlockInTwoListsStaysWithTheFirstEntry) {
    Crafted f;
    f.Add("0111", {1, 2});
    f.Add("0222", {3, 2, 4});
    f.Add("0333", {5, 5});
    f.Block(0, "first", Text(310));
    f.Block(1, "", "shared");
    f.Block(2, "second", "s");
    f.Block(3, "", "t");
    f.Block(4, "third", "u");
    PhoneBook& book = Open(f);
    EXPECT_EQ(book.Blocks(0), (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(book.Blocks(1), std::vector<uint32_t>{2});
    EXPECT_EQ(book.Blocks(2), std::vector<uint32_t>{4});
    const std::string firstInfo = Read(0).information;

    // Growing, shrinking and deleting the second entry leave the shared block alone.
    ASSERT_EQ(book.SaveRecord("0222", "second", Text(InfoForBlocks(3))), SaveResult::Saved);
    EXPECT_EQ(book.Blocks(1), (std::vector<uint32_t>{2, 5, 6})) << "block 3 stays in use, unowned";
    ASSERT_EQ(book.SaveRecord("0222", "second", ""), SaveResult::Saved);
    ASSERT_TRUE(book.DeleteEntry(1));
    ASSERT_TRUE(book.ClearInformation("0333"));
    Files after = Files::Read();
    EXPECT_EQ(after.area[1], 1);
    Reopen();
    EXPECT_EQ(Read(0).information, firstInfo);
    EXPECT_EQ(Read(2).name, "third");
}

TEST_F(PhoneBookDamageTest, TextsWithoutTerminatingNulStayInTheirLimits) {
    Crafted f;
    std::vector<uint32_t> words;
    for (uint32_t b = 0; b < 20; ++b) words.push_back(b + 1);
    f.Add("0111", words);
    f.Add("0222", {21});
    f.area.assign(21, 1);
    f.data.assign(21 * 512, 'x');
    PhoneBook& book = Open(f);
    EXPECT_EQ(Read(0).name, std::string(201, 'x'));
    EXPECT_EQ(Read(0).information, std::string(kMaxInformationLength, 'x'));
    EXPECT_EQ(Read(1).information, std::string(310, 'x'));
    EXPECT_EQ(book.ReadName(1), std::string(201, 'x'));
}

TEST_F(PhoneBookDamageTest, ShortDataFileEndsTheRecordWhereTheDataEnds) {
    struct Case {
        size_t dataSize;
        const char* name;
        const char* info;
    } cases[] = {{100, "name", ""}, {3, "nam", ""}, {202 + 4, "name", "info"}, {512 + 2, "name", "info"}};
    for (const Case& c : cases) {
        Crafted f;
        f.Add("0111", {1});
        f.Block(0, "name", "info");
        f.data.resize(c.dataSize);
        Open(f);
        EXPECT_EQ(Read(0).name, c.name) << c.dataSize;
        EXPECT_EQ(Read(0).information, c.info) << c.dataSize;
    }
}

TEST_F(PhoneBookDamageTest, AnyNonzeroAreaByteMeansInUse) {
    Crafted f;
    f.Add("0111", {1});
    f.Block(0, "a", "x");
    f.Block(2, "", "");
    f.area = {7, 0, 0xFF};
    PhoneBook& book = Open(f);
    EXPECT_EQ(book.Blocks(0), std::vector<uint32_t>{0});
    ASSERT_EQ(book.SaveRecord("0222", "b", Text(InfoForBlocks(2))), SaveResult::Saved);
    EXPECT_EQ(book.Blocks(1), (std::vector<uint32_t>{1, 3}));
}

TEST_F(PhoneBookDamageTest, FreeEntryListInAFileOwnsNothing) {
    Crafted f;
    f.Add("", {1});  // free, its stale list names block 0
    f.Add("0222", {1});
    f.Block(0, "owner", "mine");
    f.index[EntryAt(0) + 1] = '9';  // bytes after the first 0 mean nothing
    PhoneBook& book = Open(f);
    EXPECT_TRUE(book.Blocks(0).empty());
    EXPECT_FALSE(book.DeleteEntry(0));
    EXPECT_EQ(Files::Read().area, Bytes{1});
    ASSERT_TRUE(book.SetNumber(0, "0111"));
    EXPECT_TRUE(book.Blocks(0).empty());
    EXPECT_EQ(Read(0).name, "");
    Reopen();
    EXPECT_TRUE(book_->Blocks(0).empty());
    EXPECT_EQ(Read(1).information, "mine");
}

// Random files, then random edits: nothing may read or write outside its
// bounds (the sanitizers watch), no block may end up in two lists, and every
// record saved in this run reads back unchanged unless an edit touched it.
TEST_F(PhoneBookDamageTest, RandomBytesNeverSpreadDamage) {
    std::mt19937 rng(20240611);
    auto pick = [&](uint32_t n) { return n == 0 ? 0u : static_cast<uint32_t>(rng() % n); };
    for (int round = 0; round < 150; ++round) {
        Files f;
        uint32_t blocks = pick(40);
        f.area.resize(pick(48));
        for (auto& b : f.area) b = pick(4) == 0 ? static_cast<uint8_t>(rng()) : static_cast<uint8_t>(pick(2));
        f.data.resize(blocks * 512 + pick(512));
        for (auto& b : f.data) b = pick(8) == 0 ? 0 : static_cast<uint8_t>(rng());
        uint32_t entries = pick(30);
        f.index.resize(4 + entries * 100 + pick(100));
        for (auto& b : f.index) b = static_cast<uint8_t>(rng());
        PutU32(&f.index, 0, pick(3) == 0 ? static_cast<uint32_t>(rng()) : entries);
        for (uint32_t e = 0; e < entries; ++e) {
            if (pick(3) == 0) continue;  // leave some entries random
            f.index[EntryAt(e)] = static_cast<uint8_t>(pick(4) == 0 ? 0 : '0' + pick(3));
            f.index[EntryAt(e) + 1] = 0;
            for (uint32_t k = 0; k < 21; ++k) PutU32(&f.index, ListAt(e, k), pick(5) == 0 ? 0 : pick(44));
        }
        PhoneBook& book = Open(f);

        std::map<std::string, InfoRecord> saved;
        auto forgetEntry = [&](uint32_t e) { saved.erase(book.Number(e)); };
        for (int op = 0; op < 40; ++op) {
            uint32_t e = pick(book.EntryCount() + 1);
            // Short numbers meet the damaged entries' one-digit numbers.
            std::string number = std::to_string(pick(3)) + (pick(2) ? std::to_string(pick(12)) : "");
            InfoRecord r;
            switch (pick(7)) {
                case 0:
                case 1: {
                    std::string info = Text(pick(2500), static_cast<char>(op));
                    if (book.SaveRecord(number, "n" + std::to_string(op), info) == SaveResult::Saved) {
                        saved[number] = InfoRecord{"n" + std::to_string(op), info};
                    }
                    break;
                }
                case 2:
                    forgetEntry(e);
                    book.DeleteEntry(e);
                    break;
                case 3:
                    forgetEntry(e);
                    book.SetName(e, "r" + std::to_string(op));
                    break;
                case 4:
                    saved.erase(number);
                    book.ClearInformation(number);
                    break;
                case 5:
                    forgetEntry(e);
                    saved.erase(number);
                    book.SetNumber(e, pick(3) == 0 ? std::string() : number);
                    break;
                default:
                    saved.erase(number);
                    book.AddNumber(number);
                    break;
            }
            book.ReadRecord(e, &r);
            book.ReadName(e);
        }

        for (int pass = 0; pass < 2; ++pass) {
            PhoneBook& b = pass == 0 ? book : Reopen();
            std::vector<int> owner;
            for (uint32_t e = 0; e < b.EntryCount(); ++e) {
                std::vector<uint32_t> list = b.Blocks(e);
                ASSERT_LE(list.size(), 20u);
                for (uint32_t block : list) {
                    if (owner.size() <= block) owner.resize(block + 1, -1);
                    ASSERT_EQ(owner[block], -1) << "round " << round << ": block " << block << " in two lists";
                    owner[block] = static_cast<int>(e);
                }
            }
            for (const auto& [number, record] : saved) {
                std::optional<uint32_t> e = b.FindEntry(number);
                ASSERT_TRUE(e) << "round " << round << " number " << number;
                InfoRecord r;
                ASSERT_TRUE(b.ReadRecord(*e, &r));
                EXPECT_EQ(r.name, record.name) << "round " << round << " number " << number;
                EXPECT_EQ(r.information, record.information) << "round " << round << " number " << number;
            }
        }
    }
}

}  // namespace
