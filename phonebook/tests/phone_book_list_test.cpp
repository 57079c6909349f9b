#include "phonebook/phone_book_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "phonebook/list_board.h"
#include "phonebook/tests/phone_book_test_util.h"

using namespace suite;
using namespace pb_test;

namespace {

struct FakeListView : PhoneBookListView {
    void SetRowCount(size_t n) override { count = n; }
    void ShowRow(size_t row) override { shown = row; }
    void SelectRow(size_t row, bool edit) override {
        selectedRow = row;
        editStarted = edit;
    }
    std::vector<size_t> SelectedRows() override { return selection; }
    void Redraw() override { ++redraws; }
    void ShowCount(const std::string& text, bool, bool final) override {
        counts.push_back(text);
        if (final) finals.push_back(text);
    }
    void SetSearchButton(bool next) override { searchNext = next; }
    void Tell(const std::string& text, const std::string& caption) override {
        told.push_back(text);
        captions.push_back(caption);
    }

    size_t count = 0, shown = 0, selectedRow = 99999;
    bool editStarted = false, searchNext = false;
    std::vector<size_t> selection;
    int redraws = 0;
    std::vector<std::string> counts, finals, told, captions;
};

class PhoneBookListTest : public ::testing::Test {
protected:
    PhoneBookListTest() {
        mkdir("book", 0755);
        book.OpenPhoneBook("book");
    }
    void Put(const std::string& number, const std::string& name, const std::string& info = "") {
        ASSERT_EQ(book.SaveRecord(number, name, info), SaveResult::Saved) << number;
    }
    std::vector<std::string> Numbers() const {
        std::vector<std::string> v;
        for (size_t i = 0; i < list.RowCount(); ++i) v.push_back(list.Row(i).number);
        return v;
    }
    size_t RowOf(const std::string& number) const {
        for (size_t i = 0; i < list.RowCount(); ++i) {
            if (list.Row(i).number == number) return i;
        }
        ADD_FAILURE() << "no row " << number;
        return 0;
    }
    InfoRecord Read(const std::string& number) {
        InfoRecord r;
        std::optional<uint32_t> e = book.FindEntry(number);
        EXPECT_TRUE(e && book.ReadRecord(*e, &r)) << number;
        return r;
    }
    // Every contact in the store: number -> name and information.
    std::map<std::string, std::pair<std::string, std::string>> Contacts() {
        std::map<std::string, std::pair<std::string, std::string>> all;
        for (const PhoneBook::NamedEntry& e : book.ReadAllNames()) {
            InfoRecord r;
            EXPECT_TRUE(book.ReadRecord(e.entry, &r)) << e.number;
            all[e.number] = {r.name, r.information};
        }
        return all;
    }
    // The user starts an in-place edit of a cell and types text; the edit
    // ends later (EndTyped), after whatever the case does in between.
    void StartTyping(size_t row, bool nameColumn) {
        list.Click(row, nameColumn);
        ASSERT_TRUE(list.BeginEdit(row).has_value());
    }
    void EndTyped(size_t row, const std::string& text) { list.EndEdit(row, FieldText{text, true}, false); }
    void Edit(size_t row, bool nameColumn, const std::string& text) {
        list.Click(row, nameColumn);
        ASSERT_TRUE(list.BeginEdit(row).has_value());
        list.EndEdit(row, FieldText{text, true}, false);
        list.Tick();
    }
    // "追加", the tick that adds the row, then the number typed and Enter.
    void Add(const std::string& text) {
        list.RequestAdd();
        list.Tick();
        ASSERT_TRUE(list.Adding());
        size_t row = list.RowCount() - 1;
        EXPECT_EQ(view.selectedRow, row);
        EXPECT_TRUE(view.editStarted);
        EXPECT_EQ(list.BeginEdit(row).value_or("x"), "");
        list.EndEdit(row, FieldText{text, true}, false);
        list.Tick();
    }

    suite_test::TestFolder folder;
    RecordedMessages messages;
    PhoneBook book{messages, PhoneBookOptions{false, false}};
    FakeListView view;
    PhoneBookList list{book, view};
};

TEST_F(PhoneBookListTest, FillSortsAndColumnClicksToggle) {
    list.Fill();
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_EQ(view.finals, std::vector<std::string>{"0/0"});

    Put("0312", "Charlie");
    Put("0111", "Bravo");
    Put("0999", "Alpha");
    ASSERT_TRUE(book.DeleteEntry(*book.FindEntry("0111")));
    Put("0555", "");
    list.Fill();
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"0312", "0555", "0999"}));
    EXPECT_EQ(view.finals.back(), "3/3");
    EXPECT_EQ(list.Row(RowOf("0999")).name, "Alpha");
    // The first click sorts descending, whatever the column; the next one ascending.
    list.SortBy(0);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"0999", "0555", "0312"}));
    list.SortBy(1);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"0555", "0999", "0312"}));  // "", Alpha, Charlie
}

TEST_F(PhoneBookListTest, AddsAreCheckedAgainstRowsAndStore) {
    Put("0312", "A");
    list.Fill();
    Add("0312");  // another row has it
    Add("abc");
    Add("");  // no message
    EXPECT_EQ(view.told, (std::vector<std::string>{"この電話番号は既に登録済みです", "半角数字で入力してください"}));
    EXPECT_EQ(view.captions, (std::vector<std::string>{"追加エラー", "入力ミス"}));
    EXPECT_EQ(list.RowCount(), 1u);

    // Saved by the call board after the rows were read: still a duplicate.
    Put("0777", "from the board");
    Add("0777");
    EXPECT_EQ(view.told.size(), 3u);
    EXPECT_EQ(list.RowCount(), 1u);

    Add("0888");
    EXPECT_FALSE(list.Adding());
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_TRUE(list.Row(1).hasEntry);
    EXPECT_EQ(book.FindEntry("0888"), list.Row(1).entry);
    Edit(1, true, "Name");
    EXPECT_EQ(Read("0888").name, "Name");
}

TEST_F(PhoneBookListTest, PendingRowIsNeverHandedToTheStore) {
    Put("0312", "A");
    list.Fill();
    list.RequestAdd();
    list.Tick();
    size_t pending = list.RowCount() - 1;
    // Column clicks, deletes and searches wait until the add has ended.
    view.selection = {0, pending};
    list.RequestDelete();
    list.SortBy(0);
    list.RequestSearch("0");
    list.Click(0, false);
    EXPECT_FALSE(list.BeginEdit(0).has_value());
    list.Tick();
    EXPECT_TRUE(book.FindEntry("0312").has_value());
    EXPECT_EQ(list.Row(0).number, "0312");
    EXPECT_TRUE(view.told.empty());
    list.EndEdit(pending, FieldText{"", true}, true);  // Esc
    list.Tick();
    EXPECT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(book.EntryCount(), 1u);
}

TEST_F(PhoneBookListTest, NumberEdits) {
    Put("0312", "A");
    Put("0456", "B");
    list.Fill();
    Edit(RowOf("0312"), false, "+81312");  // only the first byte is checked, against '9'
    EXPECT_TRUE(view.told.empty());
    EXPECT_EQ(Read("+81312").name, "A");
    // Another row's number is refused and the contact keeps its own.
    Edit(RowOf("+81312"), false, "0456");
    EXPECT_EQ(view.told.back(), "この電話番号は既に登録済みです");
    EXPECT_EQ(Read("+81312").name, "A");
    Edit(RowOf("0456"), false, "012345678901234");  // 15 bytes
    EXPECT_EQ(view.captions.back(), "入力ミス");
    EXPECT_EQ(Read("0456").name, "B");
    // An emptied number frees the entry.
    Edit(RowOf("0456"), false, "");
    EXPECT_FALSE(book.FindEntry("0456").has_value());
}

TEST_F(PhoneBookListTest, NameEditsKeepTheBoardsLimit) {
    Put("0312", "A");
    list.Fill();
    std::string name(200, 'x');
    name += "\x82\xa0";  // 202 bytes ending in a full-width character
    Edit(0, true, name);
    EXPECT_EQ(view.captions.back(), "保存終了");
    EXPECT_EQ(Read("0312").name, "A");
    name.resize(199);
    name += "\x82\xa0";  // 201 bytes
    Edit(0, true, name);
    EXPECT_EQ(Read("0312").name, name);
    EXPECT_EQ(list.Row(0).name, name);
    list.Click(0, true);
    list.EndEdit(0, FieldText{"?", false}, false);  // a character Shift-JIS cannot hold
    list.Tick();
    EXPECT_EQ(Read("0312").name, name);
    EXPECT_EQ(view.told.size(), 2u);
}

// Windows ends an open edit before it delivers the click, the column click
// or the "追加" that took the focus away; the tick comes up to 500 ms later.
TEST_F(PhoneBookListTest, AnEditLandsInTheCellWhereItBegan) {
    Put("0311", "Alice", "a");
    Put("0322", "Bob", "b");
    Put("0333", "Carol", "c");
    list.Fill();
    auto want = Contacts();

    // A number edit ended by a click on another row's name cell.
    StartTyping(RowOf("0311"), false);
    EndTyped(RowOf("0311"), "0399");
    list.Click(RowOf("0322"), true);
    list.Tick();
    want["0399"] = want["0311"];
    want.erase("0311");
    EXPECT_EQ(Contacts(), want);

    // A name edit whose ending click on a number cell came first.
    StartTyping(RowOf("0322"), true);
    list.Click(RowOf("0399"), false);
    EndTyped(RowOf("0322"), "1F desk");
    list.Tick();
    want["0322"].first = "1F desk";
    EXPECT_EQ(Contacts(), want);

    // Enter, then a column click moves the rows before the tick.
    size_t before = RowOf("0322");
    StartTyping(before, true);
    EndTyped(before, "Robert");
    list.SortBy(0);
    EXPECT_NE(list.Row(before).number, "0322");  // another row stands there now
    list.Tick();
    want["0322"].first = "Robert";
    EXPECT_EQ(Contacts(), want);

    // "追加" ends a name edit: the edit first, then the add as its own step.
    StartTyping(RowOf("0333"), true);
    EndTyped(RowOf("0333"), "Carol Jr");
    list.RequestAdd();
    list.Tick();
    want["0333"].first = "Carol Jr";
    EXPECT_EQ(Contacts(), want);
    ASSERT_TRUE(list.Adding());
    EXPECT_EQ(list.RowCount(), 4u);
    EXPECT_TRUE(view.editStarted);
    // "追加" again ends the add's own edit: that number, then another add.
    EXPECT_EQ(list.BeginEdit(3).value_or("x"), "");
    EndTyped(3, "0344");
    list.RequestAdd();
    list.Tick();
    want["0344"] = {"", ""};
    EXPECT_EQ(Contacts(), want);
    ASSERT_TRUE(list.Adding());
    EXPECT_EQ(list.RowCount(), 5u);
    list.EndEdit(4, FieldText{"", true}, true);  // Esc
    list.Tick();
    EXPECT_FALSE(list.Adding());
    EXPECT_EQ(list.RowCount(), 4u);
    EXPECT_TRUE(view.told.empty());
    for (const auto& c : want) EXPECT_EQ(list.Row(RowOf(c.first)).name, c.second.first) << c.first;
}

TEST_F(PhoneBookListTest, DeletesTheSelectedRowsInChunks) {
    for (int i = 0; i < 12; ++i) Put("03" + std::to_string(10 + i), "n");
    list.Fill();
    view.selection = {2, 5, 9};
    list.RequestDelete();
    EXPECT_FALSE(list.Tick());
    for (size_t i = 0; i < 12; ++i) {
        bool gone = i == 2 || i == 5 || i == 9;
        EXPECT_EQ(list.Row(i).number == "削除済み", gone) << i;
        EXPECT_EQ(book.FindEntry("03" + std::to_string(10 + i)).has_value(), !gone) << i;
    }
    // Deleting a deleted row does nothing.
    list.RequestDelete();
    list.Tick();
    EXPECT_TRUE(view.told.empty());
    EXPECT_EQ(view.finals.size(), 1u);  // only the fill's count: 3 rows show no final count

    // 250 rows: the work is split so messages are served between chunks.
    for (int i = 0; i < 250; ++i) Put("04" + std::to_string(1000 + i), "");
    list.Fill();
    view.selection.clear();
    for (size_t i = 0; i < list.RowCount(); ++i) {
        if (list.Row(i).number.rfind("04", 0) == 0) view.selection.push_back(i);
    }
    list.RequestDelete();
    int steps = 1;
    bool more = list.Tick();
    while (more) {
        ++steps;
        more = list.ContinueDelete();
    }
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(view.finals.back(), " 削除数 250 ");
    EXPECT_EQ(book.FindEntry("041000"), std::nullopt);
    EXPECT_TRUE(book.FindEntry("0311").has_value());
}

// The call board frees an entry and a later save reuses it for another
// number while the list shows the old row.
TEST_F(PhoneBookListTest, StaleRowsNeverTouchAnotherContact) {
    const std::vector<std::string> old = {"0311", "0312", "0313"}, other = {"0997", "0998", "0999"};
    for (const std::string& n : old) Put(n, "Old");
    Put("0456", "Keep");
    list.Fill();
    for (const std::string& n : old) ASSERT_TRUE(book.DeleteEntry(*book.FindEntry(n)));
    for (const std::string& n : other) Put(n, "Other " + n, "info of " + n);
    // Each freed entry now holds another number.
    std::vector<size_t> stale;
    for (const std::string& n : old) {
        stale.push_back(RowOf(n));
        ASSERT_FALSE(book.Number(list.Row(stale.back()).entry).empty());
    }

    Edit(stale[0], true, "Renamed");
    Edit(stale[1], false, "0111");
    view.selection = {stale[2]};
    list.RequestDelete();
    list.Tick();
    for (const std::string& n : other) {
        EXPECT_EQ(Read(n).name, "Other " + n);
        EXPECT_EQ(Read(n).information, "info of " + n);
    }
    EXPECT_FALSE(book.FindEntry("0111").has_value());
    ASSERT_EQ(view.told.size(), 3u);
    EXPECT_EQ(view.captions, std::vector<std::string>(3, "電話帳"));
    for (size_t row : stale) EXPECT_EQ(list.Row(row).number, "削除済み");
    EXPECT_FALSE(list.BeginEdit(stale[0]).has_value());

    // Deleted and saved again elsewhere: the row follows its number.
    size_t keep = RowOf("0456");
    ASSERT_TRUE(book.DeleteEntry(*book.FindEntry("0456")));
    Put("0555", "takes the freed entry");
    Put("0456", "Keep again");
    Edit(keep, true, "x");
    EXPECT_EQ(list.Row(keep).number, "0456");
    EXPECT_EQ(list.Row(keep).name, "Keep again");
    Edit(keep, true, "Renamed");
    EXPECT_EQ(Read("0456").name, "Renamed");
    EXPECT_EQ(Read("0555").name, "takes the freed entry");
}

TEST_F(PhoneBookListTest, SearchStepsAndResets) {
    Put("0312", "山田");
    Put("0456", "田中");
    Put("0789", "x");
    list.Fill();
    list.RequestSearch("");
    list.Tick();
    EXPECT_FALSE(view.searchNext);
    EXPECT_TRUE(view.told.empty());

    list.RequestSearch("田");
    EXPECT_TRUE(view.searchNext);
    list.Tick();
    EXPECT_EQ(list.CurrentRow(), 0u);
    list.RequestSearch("ignored while stepping");
    list.Tick();
    EXPECT_EQ(list.CurrentRow(), 1u);
    list.RequestSearch("");
    list.Tick();
    EXPECT_EQ(view.told, std::vector<std::string>{"最後まで検索しました。"});
    EXPECT_FALSE(view.searchNext);
    // A new text starts over.
    list.RequestSearch("0");
    list.Tick();
    list.SearchTextChanged();
    list.RequestSearch("x");
    list.Tick();
    EXPECT_EQ(list.CurrentRow(), 2u);
}

TEST(ShiftJisSearch, MatchesOnlyAtCharacterStarts) {
    // "\x83\x41" is one character; "A" (0x41) must not match its trail byte.
    std::string text = "\x83\x41" "A";
    EXPECT_EQ(FindAtCharStart(text, "A", 0), 2u);
    EXPECT_EQ(FindAtCharStart("abcabc", "bc", 2), 4u);
    EXPECT_EQ(FindAtCharStart("abc", "", 0), std::string::npos);
    EXPECT_EQ(SjisCharCount("\x83\x41" "A\r\nB", 5), 4u);
}

TEST(PhoneBookListLayout, SizesAtF14AndF10) {
    EXPECT_EQ(NumberColumnWidth(14), 224);
    EXPECT_EQ(NameColumnWidth(14), 2828);
    ListLayout l = LayoutList(800, 300, 14);
    EXPECT_EQ(l.list.y, 44);
    EXPECT_EQ(l.list.height, 256);
    EXPECT_EQ(l.folder.x, 861);
    EXPECT_EQ(l.search.height, 36);
    EXPECT_EQ(HelpMarkX(7), 317);
    EXPECT_TRUE(OnHelpMark(320, 10, 7));
    EXPECT_FALSE(OnHelpMark(320, 18, 7));  // y < 2.5F
    ListBoardLayout b = LayoutListBoard(500, 300, 10);
    EXPECT_EQ(b.search.x, 364);
    EXPECT_EQ(b.search.width, 500 - 364 - 6);
    EXPECT_EQ(b.information.y, 65);
    EXPECT_EQ(b.information.height, 300 - 65 - 4);
    EXPECT_EQ(b.clear.x, 98);
}

TEST(PhoneBookListSettings, PositionFileAndSettingsBytes) {
    suite_test::TestFolder folder;
    WorkArea area{0, 0, 1024, 740};
    bool defaults = false;
    ListRect d = ListRectFromFile({}, area, &defaults);
    EXPECT_TRUE(defaults);
    EXPECT_EQ(d.x, 512 - 235);
    EXPECT_EQ(d.y, 370);
    EXPECT_EQ(d.width, 520);
    EXPECT_EQ(d.height, 200);
    ListRect r = ListRectFromFile(ListRectBytes(ListRect{-10, 20, 300, 640}), area, &defaults);
    EXPECT_FALSE(defaults);
    EXPECT_EQ(r.x, -10);
    EXPECT_EQ(r.height, 300);
    EXPECT_EQ(r.width, 640);
    EXPECT_EQ(ListRectBytes(ListRect{1, 2, 3, 4}),
              (Bytes{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0}));
    Bytes shortFile = ListRectBytes(r);
    shortFile.resize(15);
    ListRectFromFile(shortFile, area, &defaults);
    EXPECT_TRUE(defaults);
    ListRectFromFile(ListRectBytes(ListRect{0, 0, 2, 2}), area, &defaults);
    EXPECT_TRUE(defaults);
    // Wholly off the work area: right of it, above it; one pixel on it is kept.
    for (ListRect off : {ListRect{1024, 20, 300, 640}, ListRect{-640, 20, 300, 640}, ListRect{10, -300, 300, 640},
                         ListRect{10, 740, 300, 640}}) {
        d = ListRectFromFile(ListRectBytes(off), area, &defaults);
        EXPECT_TRUE(defaults) << off.x << "," << off.y;
        EXPECT_EQ(d.x, 512 - 235);
    }
    ListRectFromFile(ListRectBytes(ListRect{1023, 739, 300, 640}), area, &defaults);
    EXPECT_FALSE(defaults);
    EXPECT_EQ(UsableListCharSize(4), 7);
    EXPECT_EQ(UsableListCharSize(14), 14);
    EXPECT_EQ(UsableListCharSize(15), 7);

    SettingsRecord settings;
    settings.MakeDefaults(area);
    settings.set_list_board_size(0, 10);
    int w = 0, h = 0;
    UsableListBoardSize(settings, &w, &h);
    EXPECT_EQ(w, 520);
    EXPECT_EQ(h, 200);

    Bytes file(3572, 0xAB);
    suite_test::WriteAllBytes("settings.ini", file);
    settings.set_list_board_size(0, 0x0102);
    settings.set_list_board_size(1, 0x0304);
    settings.info_board_font() = 10;
    ASSERT_TRUE(StoreListSettings(&settings, 12, "settings.ini"));
    Bytes after = suite_test::ReadAllBytes("settings.ini");
    EXPECT_TRUE(OnlyChangedWithin(file, after, {{37, 41}, {94, 96}}));
    EXPECT_EQ(after[37], 0x02);
    EXPECT_EQ(after[40], 0x03);
    EXPECT_EQ(after[94], 10);
    EXPECT_EQ(after[95], 12);
}

// ---- The list board ----

struct FakeBoardView : ListBoardView {
    bool Create(const BoardRect& r, const std::string& t, const std::string& n, const std::string& i) override {
        ++creates;
        rect = r;
        title = t;
        name.text = n;
        information.text = i;
        return true;
    }
    BoardRect WindowRect() override { return BoardRect{0, 0, 600, 300}; }
    void Destroy() override { ++destroys; }
    FieldText Name() override { return name; }
    FieldText Information() override { return information; }
    FieldText SearchKey() override { return key; }
    void DrawCounter(const std::string& text) override { counter = text; }
    void SetSearchButton(bool n) override { next = n; }
    void ShowHit(size_t start, size_t length) override { hits.push_back({start, length}); }
    void Tell(const std::string& text, const std::string&) override { told.push_back(text); }
    void Notify(const std::string& text, const std::string& caption) override {
        told.push_back(text);
        notifyCaption = caption;
    }
    bool Ask(const std::string& text, const std::string&) override {
        told.push_back(text);
        return answer;
    }

    int creates = 0, destroys = 0;
    BoardRect rect{};
    std::string title, counter, notifyCaption;
    FieldText name, information, key;
    bool next = false, answer = false;
    std::vector<std::pair<size_t, size_t>> hits;
    std::vector<std::string> told;
};

class ListBoardTest : public PhoneBookListTest {
protected:
    ListBoardTest() { settings.MakeDefaults(WorkArea{0, 0, 1024, 740}); }
    SettingsRecord settings;
    FakeBoardView bview;
    ListBoard board{settings, book, bview};
};

TEST_F(ListBoardTest, OpensSavesAndClears) {
    Put("0312", "Name", std::string(1500, 'i'));  // 4 blocks
    board.OpenFor("削除済み", 0, 0);
    board.OpenFor("", 0, 0);
    EXPECT_EQ(bview.creates, 0);
    settings.set_list_board_size(0, 520);
    settings.set_list_board_size(1, 200);
    board.OpenFor("0312", 40, 50);
    ASSERT_TRUE(board.IsOpen());
    EXPECT_EQ(bview.title, "情報ボード（ 0312 ）");
    EXPECT_EQ(bview.rect.x, 40);
    EXPECT_EQ(bview.rect.width, 520);
    EXPECT_FALSE(board.Tick());
    EXPECT_EQ(bview.counter, "1500/10000");

    bview.information.text = std::string(10001, 'x');
    board.RequestSave();
    EXPECT_FALSE(board.Tick());
    EXPECT_TRUE(board.IsOpen());
    EXPECT_EQ(Read("0312").information.size(), 1500u);
    bview.information.text = "new";
    board.RequestSave();
    EXPECT_TRUE(board.Tick());
    EXPECT_EQ(Read("0312").information, "new");
    EXPECT_EQ(settings.list_board_size(0), 600);

    // Deleted through the call board meanwhile: the save stores it again.
    board.OpenFor("0312", 0, 0);
    ASSERT_TRUE(book.DeleteEntry(*book.FindEntry("0312")));
    bview.information.text = "again";
    board.RequestSave();
    EXPECT_TRUE(board.Tick());
    EXPECT_EQ(Read("0312").information, "again");

    ASSERT_EQ(book.SaveRecord("0312", "Name", std::string(1500, 'i')), SaveResult::Saved);
    board.OpenFor("0312", 0, 0);
    board.RequestClear();
    EXPECT_TRUE(board.Tick());
    EXPECT_EQ(Read("0312").name, "Name");
    EXPECT_EQ(Read("0312").information, "");
    EXPECT_EQ(book.Blocks(*book.FindEntry("0312")).size(), 1u);
}

TEST_F(ListBoardTest, SearchesTheInformation) {
    Put("0312", "N", "abc\r\n日本 key 本 key\r\nend");
    board.OpenFor("0312", 0, 0);
    bview.key.text = "key";
    board.RequestSearch();
    board.Tick();
    EXPECT_TRUE(bview.next);
    board.RequestSearch();
    board.Tick();
    board.RequestSearch();
    board.Tick();
    // Character offsets: "abc\r\n" is 5, "日本 " 3 more.
    EXPECT_EQ(bview.hits, (std::vector<std::pair<size_t, size_t>>{{8, 3}, {14, 3}}));
    EXPECT_EQ(bview.told, std::vector<std::string>{"最後まで検索しました。"});
    EXPECT_FALSE(bview.next);
    // Typing in the search field after a hit starts over from the top.
    board.RequestSearch();
    board.Tick();
    board.SearchKeyChanged();
    board.Tick();
    EXPECT_FALSE(bview.next);
    board.RequestSearch();
    board.Tick();
    EXPECT_EQ(bview.hits.back(), (std::pair<size_t, size_t>{8, 3}));
}

TEST_F(ListBoardTest, ClosingTheListAsksAboutTypedText) {
    Put("0312", "N", "old");
    board.OpenFor("0312", 0, 0);
    EXPECT_TRUE(board.CloseWithList());  // nothing typed: no question
    EXPECT_TRUE(bview.told.empty());

    board.OpenFor("0312", 0, 0);
    bview.information.text = "typed";
    bview.answer = false;
    EXPECT_TRUE(board.CloseWithList());
    EXPECT_EQ(Read("0312").information, "old");

    board.OpenFor("0312", 0, 0);
    bview.information.text = "typed";
    bview.answer = true;
    EXPECT_TRUE(board.CloseWithList());
    EXPECT_EQ(Read("0312").information, "typed");
    EXPECT_EQ(bview.told.size(), 2u);
    EXPECT_FALSE(board.IsOpen());
}

TEST_F(ListBoardTest, WarnsEveryTenthTickWhileBothBoardsShowTheNumber) {
    Put("0312", "N");
    board.Reset();
    board.OpenFor("0312", 0, 0);
    for (int i = 0; i < 9; ++i) board.CheckDuplicate(true, "0312");
    EXPECT_TRUE(bview.told.empty());
    board.CheckDuplicate(true, "0312");
    EXPECT_EQ(bview.notifyCaption, "重複開帳");
    for (int i = 0; i < 10; ++i) board.CheckDuplicate(true, "0456");
    EXPECT_EQ(bview.told.size(), 1u);
}

}  // namespace
