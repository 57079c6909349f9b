#include "browser/recording_list.h"

#include <gtest/gtest.h>

#include "browser/recording_source.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::TestFolder;
using suite_test::WriteAllBytes;

namespace {

FolderItem Item(const std::string& name, int hour, int minute) {
    return FolderItem{name, false, FileTime{2026, 12, 8, hour, minute, 0}, 0};
}

using Rows = std::vector<std::string>;

}  // namespace

TEST(RecordingList, FolderExampleTakesNamesWithADotInByteOrder) {
    TestFolder dir;
    for (const char* name : {"a.ogg", "B.wav", "memo.txt", "README"}) WriteAllBytes(name, {1});
    ASSERT_TRUE(CreateFolderPath("old.calls"));
    // A name with no Shift-JIS form is left out, not shown garbled.
    WriteAllBytes(u8"\U0001F600.ogg", {1});
    // The recorder's temporary recording is never offered to play or rename.
    WriteAllBytes("TMP.tmp", {1});
    WriteAllBytes("tmp.TMP", {1});

    RecordingList list;
    list.SetFolder("");
    list.Rebuild(1, 0, "", 0);
    EXPECT_EQ(list.rows(), (Rows{"B.wav", "a.ogg", "memo.txt", "old.calls"}));
    EXPECT_EQ(list.selected(), 0);
    EXPECT_EQ(list.currentName(), "B");
    EXPECT_EQ(list.currentExt(), ".wav");
    EXPECT_EQ(list.longest(), 9u);
    std::string box;
    ASSERT_TRUE(list.TakeNameBox(&box));
    EXPECT_EQ(box, "B");
    EXPECT_TRUE(list.TakeSelectionChanged());

    // The creation-time orders count the 12-character key in the longest entry.
    list.Rebuild(3, 1, "", 0);
    EXPECT_EQ(list.longest(), 21u);
    EXPECT_EQ(list.selected(), 3) << "browser_flags 1 selects the last row";
}

TEST(RecordingList, EmptyOrMissingFolderShowsNoRecordings) {
    TestFolder dir;
    WriteAllBytes("README", {1});
    RecordingList list;
    for (const char* folder : {"", "no\\such\\"}) {
        list.SetFolder(folder);
        list.Rebuild(1, 0, "", -1);
        EXPECT_TRUE(list.rows().empty());
        EXPECT_EQ(list.selected(), -1);
        std::string box;
        ASSERT_TRUE(list.TakeNameBox(&box));
        EXPECT_EQ(box, kNoRecordingsText);
        EXPECT_FALSE(list.TakeSelectionChanged());
        EXPECT_EQ(list.CurrentPath(), "");
    }
}

TEST(RecordingList, SortOrders) {
    // 09:31 twice, 09:32 once, on the same day; names chosen so that the
    // name order and the time order differ.
    const std::vector<FolderItem> items = {Item("b.ogg", 9, 31), Item("a.ogg", 9, 32), Item("c.ogg", 9, 31),
                                           Item("表.ogg", 9, 30), Item("A.ogg", 10, 0)};
    struct Case {
        uint8_t sort;
        Rows rows;
    } cases[] = {
        {1, {"A.ogg", "a.ogg", "b.ogg", "c.ogg", "表.ogg"}},
        {2, {"表.ogg", "c.ogg", "b.ogg", "a.ogg", "A.ogg"}},
        {3, {"表.ogg", "b.ogg", "c.ogg", "a.ogg", "A.ogg"}},
        {4, {"A.ogg", "a.ogg", "c.ogg", "b.ogg", "表.ogg"}},
        // Out of range acts as 0: name descending, no label.
        {0, {"表.ogg", "c.ogg", "b.ogg", "a.ogg", "A.ogg"}},
        {9, {"表.ogg", "c.ogg", "b.ogg", "a.ogg", "A.ogg"}},
        {255, {"表.ogg", "c.ogg", "b.ogg", "a.ogg", "A.ogg"}},
    };
    for (const Case& c : cases) {
        size_t longest = 0;
        EXPECT_EQ(SortedRows(items, EffectiveSort(c.sort), &longest), c.rows) << int(c.sort);
        EXPECT_STREQ(SortLabel(c.sort), c.sort >= 1 && c.sort <= 4 ? SortLabel(c.sort) : "");
    }
    EXPECT_STREQ(SortLabel(4), "作成降順");
    EXPECT_STREQ(SortLabel(200), "");
    EXPECT_EQ(NextSort(0), 1);
    EXPECT_EQ(NextSort(4), 1);
    EXPECT_EQ(NextSort(2), 3);
    EXPECT_EQ(NextSort(77), 1);
    EXPECT_EQ(TimeKey(FileTime{2026, 1, 2, 3, 4, 59}), "202601020304");
}

TEST(RecordingList, RowChoiceByRequest) {
    const Rows three = {"a.ogg", "b.ogg", "c.ogg"};
    EXPECT_EQ(ChooseRow(three, 7, 0, ""), 2);
    EXPECT_EQ(ChooseRow(three, 1, 1, ""), 0);
    EXPECT_EQ(ChooseRow(three, 0, 0, ""), 0);
    EXPECT_EQ(ChooseRow(three, 0, 2, ""), 2) << "browser_flags 2 acts as 1";
    EXPECT_EQ(ChooseRow(three, -1, 1, ""), 2) << "no preferred name: the initial row";
    EXPECT_EQ(ChooseRow(three, -1, 1, "gone.ogg"), 0) << "a missing preferred name: row 0";
    EXPECT_EQ(ChooseRow(three, -1, 0, "B.OGG"), 1);
    EXPECT_EQ(ChooseRow({}, 1, 0, ""), -1);
    // "ア" is 83 41 and "ャ" 83 61: folding the trail byte would match them.
    EXPECT_EQ(ChooseRow({"x.ogg", "ャ.ogg"}, -1, 0, "ア.ogg"), 0);
    EXPECT_TRUE(SameNameIgnoringCase("ア.OGG", "ア.ogg"));
}

TEST(RecordingList, NamesSplitAtTheLastDot) {
    const NameParts p = SplitName("2026.12.07 14-05-33.ogg");
    EXPECT_EQ(p.name, "2026.12.07 14-05-33");
    EXPECT_EQ(p.ext, ".ogg");
    // The trail byte 2E is no dot: "ｮ" is single byte, "亜." ends in a real dot.
    EXPECT_EQ(SplitName("x.y").name, "x");
    EXPECT_EQ(SplitName("README").ext, "");
}

TEST(RecordingList, DetailLineAndWidth) {
    EXPECT_EQ(LengthText(3725), "録音時間01:02:05");
    EXPECT_EQ(LengthText(0), "録音時間00:00:00");
    EXPECT_EQ(LengthText(kUnknownLength), "録音時間--:--:--");
    FileTime t{2026, 12, 8, 9, 31, 5};
    EXPECT_EQ(CreationText(&t), "作成時間09:31");
    EXPECT_EQ(CreationText(nullptr), "作成時間--:--");
    EXPECT_EQ(DropDownWidth(20, 604), 186);  // 22 × 604 × 0.014 = 186.03
    EXPECT_STREQ(InitialRowLabel(2), "最終行");
}
