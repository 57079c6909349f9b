#include "phonebook/info_board.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "phonebook/tests/phone_book_test_util.h"

using namespace suite;
using namespace pb_test;

namespace {

// The window side as a record of what the board asked of it.
struct FakeView : InfoBoardView {
    bool Create(const BoardRect& r, const std::string& t, const std::string& n, const std::string& i,
                bool e) override {
        ++creates;
        rect = r;
        title = t;
        name.text = n;
        information.text = i;
        editable = e;
        return createSucceeds;
    }
    BoardRect WindowRect() override { return windowRect; }
    void Destroy() override { ++destroys; }
    FieldText Name() override { return name; }
    FieldText Information() override { return information; }
    void DrawCounter(const std::string& text) override { counters.push_back(text); }
    void ApplyCharSize(int size) override { applied.push_back(size); }
    void Tell(const std::string& text, const std::string& caption) override {
        told.push_back(text);
        EXPECT_EQ(caption, "保存終了");
    }
    WorkArea DesktopWorkArea() override { return WorkArea{0, 0, 1024, 740}; }

    bool createSucceeds = true;
    int creates = 0, destroys = 0;
    BoardRect rect{}, windowRect{10, 20, 500, 260};
    std::string title;
    FieldText name, information;
    bool editable = false;
    std::vector<std::string> counters, told;
    std::vector<int> applied;
};

class InfoBoardTest : public ::testing::Test {
protected:
    InfoBoardTest() {
        mkdir("book", 0755);
        settings.MakeDefaults(WorkArea{0, 0, 1024, 740});
        book.OpenPhoneBook("book");
    }

    bool Has(const std::string& number) { return book.FindEntry(number).has_value(); }
    InfoRecord Read(const std::string& number) {
        InfoRecord r;
        std::optional<uint32_t> e = book.FindEntry(number);
        EXPECT_TRUE(e && book.ReadRecord(*e, &r)) << number;
        return r;
    }

    suite_test::TestFolder folder;
    RecordedMessages messages;
    PhoneBook book{messages};
    SettingsRecord settings;
    FakeView view;
    InfoBoard board{settings, book, view};
};

TEST(InfoBoardRules, NumbersThatAreLookedUp) {
    EXPECT_TRUE(WorthLookingUp("0312345678"));
    EXPECT_TRUE(WorthLookingUp("非通知"));  // lead byte 0x94 is -108 as a signed byte
    EXPECT_TRUE(WorthLookingUp("P123"));
    EXPECT_FALSE(WorthLookingUp(""));
    EXPECT_FALSE(WorthLookingUp("#123"));
    EXPECT_FALSE(WorthLookingUp(" 0312"));
    EXPECT_FALSE(WorthLookingUp(std::string(1, static_cast<char>(0xE0))));  // -32: below 48 in magnitude
    EXPECT_TRUE(WorthLookingUp(std::string(1, static_cast<char>(0xD0))));   // -48

    EXPECT_TRUE(IsEditableNumber("0"));
    EXPECT_TRUE(IsEditableNumber("9x"));
    EXPECT_FALSE(IsEditableNumber("P123"));
    EXPECT_FALSE(IsEditableNumber("非通知"));
    EXPECT_FALSE(IsEditableNumber(""));

    EXPECT_EQ(BoardKey("0123456789012345"), "01234567890123");
    EXPECT_EQ(BoardKey("0312"), "0312");
}

TEST(InfoBoardRules, ModesDecideTheBoard) {
    struct Case {
        int mode, numberReady;
        bool nameEmpty, opens;
    } cases[] = {
        {kBoardAlways, 1, true, true},    {kBoardAlways, 2, true, true},     {kBoardWithName, 1, true, false},
        {kBoardWithName, 1, false, true}, {kBoardWithName, 2, true, true},   {kBoardNever, 1, false, false},
        {kBoardNever, 2, true, false},    {kBoardNever, 2, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShouldOpenBoard(c.mode, c.numberReady, c.nameEmpty), c.opens)
            << "mode " << c.mode << " ready " << c.numberReady << " nameEmpty " << c.nameEmpty;
    }
}

TEST(InfoBoardRules, CharacterSizesAndGeometry) {
    const int sizes[] = {6, 7, 8, 10, 12};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(CharSizeForId(203 + k), sizes[k]);
        EXPECT_EQ(IdForCharSize(sizes[k]), 203 + k);
        EXPECT_EQ(UsableCharSize(sizes[k]), sizes[k]);
    }
    EXPECT_EQ(CharSizeForId(202), 0);
    EXPECT_EQ(CharSizeForId(208), 0);
    EXPECT_EQ(IdForCharSize(9), 0);
    EXPECT_EQ(UsableCharSize(0), 8);
    EXPECT_EQ(UsableCharSize(255), 8);

    // Name field height is the truncated 2.6 x S.
    const int heights[] = {15, 18, 20, 26, 31};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(NameFieldRect(470, sizes[k]).height, heights[k]) << sizes[k];
    EXPECT_EQ(BoardFontHeight(12), 24);

    BoardLayout l = LayoutBoard(454, 161, 12);
    EXPECT_EQ(l.name.width, 398);
    EXPECT_EQ(l.information.width, 442);
    EXPECT_EQ(l.information.height, 95);

    // A client smaller than the margins gives empty fields, not negative ones.
    BoardLayout tiny = LayoutBoard(10, 20, 8);
    EXPECT_EQ(tiny.name.width, 0);
    EXPECT_EQ(tiny.information.width, 0);
    EXPECT_EQ(tiny.information.height, 0);
}

TEST(InfoBoardRules, CounterCountsBytes) {
    EXPECT_EQ(CounterText(0), "0/10000");
    EXPECT_EQ(CounterText(std::string("あい").size()), "4/10000");
}

TEST(InfoBoardRules, RectangleRoundTripsThroughTheSettings) {
    SettingsRecord s;
    WorkArea area{0, 0, 1280, 984};
    // Never stored (all-zero record): the default place and size.
    BoardRect r = StoredBoardRect(s, area);
    EXPECT_EQ(r.x, 1280 / 2 - 235);
    EXPECT_EQ(r.y, 492);
    EXPECT_EQ(r.width, 470);
    EXPECT_EQ(r.height, 200);

    StoreBoardRect(&s, BoardRect{-300, -5, 520, 240});
    EXPECT_EQ(s.data()[62], 0xD4);  // -300 as 16 bits, little endian
    EXPECT_EQ(s.data()[63], 0xFE);
    r = StoredBoardRect(s, area);
    EXPECT_EQ(r.x, -300);
    EXPECT_EQ(r.y, -5);
    EXPECT_EQ(r.width, 520);
    EXPECT_EQ(r.height, 240);

    StoreBoardRect(&s, BoardRect{1500, 40000, 70000, 300});
    r = StoredBoardRect(s, area);
    EXPECT_EQ(r.x, 1500);
    EXPECT_EQ(r.y, 32767);
    EXPECT_EQ(r.width, 65535);
}

TEST(InfoBoardRules, DuplicateWarningEveryTenthTickWhileBothShowOneNumber) {
    DuplicateBoardWatch watch;
    std::vector<int> warnedAt;
    for (int tick = 1; tick <= 30; ++tick) {
        if (watch.Tick(true, "0312345678", true, "0312345678")) warnedAt.push_back(tick);
    }
    EXPECT_EQ(warnedAt, (std::vector<int>{10, 20, 30}));

    DuplicateBoardWatch other;
    for (int tick = 1; tick <= 10; ++tick) {
        EXPECT_FALSE(other.Tick(true, "0312345678", true, "0312345679"));
    }
    for (int tick = 1; tick <= 10; ++tick) EXPECT_FALSE(other.Tick(false, "0312", true, "0312"));
    for (int tick = 1; tick <= 10; ++tick) EXPECT_FALSE(other.Tick(true, "0312", false, "0312"));
    for (int tick = 1; tick <= 10; ++tick) EXPECT_FALSE(other.Tick(true, "", true, ""));

    // Reset starts a fresh period: a reset on tick 5 moves the warning to tick 15.
    DuplicateBoardWatch reset;
    int first = 0;
    for (int tick = 1; tick <= 20 && !first; ++tick) {
        if (tick == 5) reset.Reset();
        if (reset.Tick(true, "1", true, "1")) first = tick;
    }
    EXPECT_EQ(first, 14);
}

TEST_F(InfoBoardTest, KnownNumberOpensWithItsRecordAndHandsTheNameBack) {
    ASSERT_EQ(book.SaveRecord("0312345678", "山田 太郎", "請求書送付済み\r\n折り返し希望"), SaveResult::Saved);
    StoreBoardRect(&settings, BoardRect{100, 200, 480, 210});
    settings.info_board_font() = 10;

    NumberLookup lookup = board.HandOver("0312345678", kNumberDecoded);
    EXPECT_TRUE(lookup.lookedUp);
    EXPECT_EQ(lookup.name, "山田 太郎");
    ASSERT_TRUE(board.IsOpen());
    EXPECT_EQ(view.title, "情報ボード（ 0312345678 ）");
    EXPECT_EQ(view.name.text, "山田 太郎");
    EXPECT_EQ(view.information.text, "請求書送付済み\r\n折り返し希望");
    EXPECT_TRUE(view.editable);
    EXPECT_EQ(view.rect.x, 100);
    EXPECT_EQ(view.rect.height, 210);
    EXPECT_EQ(board.CharSize(), 10);
    EXPECT_EQ(board.BoardNumber(), "0312345678");
    EXPECT_EQ(view.applied, std::vector<int>{10}) << "the stored size is applied as the board opens";

    // The ticks do not apply it again; they draw the byte counter.
    board.Upkeep();
    board.Upkeep();
    EXPECT_EQ(view.applied, std::vector<int>{10});
    ASSERT_EQ(view.counters.size(), 2u);
    EXPECT_EQ(view.counters[0], std::to_string(view.information.text.size()) + "/10000");
}

TEST_F(InfoBoardTest, SecondNumberWhileOpenIsLookedUpButOpensNoSecondBoard) {
    ASSERT_EQ(book.SaveRecord("0311111111", "一郎", ""), SaveResult::Saved);
    ASSERT_EQ(book.SaveRecord("0322222222", "二郎", ""), SaveResult::Saved);
    board.HandOver("0311111111", kNumberDecoded);
    NumberLookup second = board.HandOver("0322222222", kNumberDecoded);
    EXPECT_EQ(second.name, "二郎");
    EXPECT_EQ(view.creates, 1);
    EXPECT_EQ(board.BoardNumber(), "0311111111");
    EXPECT_EQ(view.title, "情報ボード（ 0311111111 ）");
}

TEST_F(InfoBoardTest, ModeOneOpensOnCallsOnlyForNamesButAlwaysOnClicks) {
    settings.info_board_mode() = kBoardWithName;
    NumberLookup lookup = board.HandOver("0399999999", kNumberDecoded);
    EXPECT_TRUE(lookup.lookedUp);
    EXPECT_TRUE(lookup.name.empty());
    EXPECT_FALSE(board.IsOpen());

    board.HandOver("0399999999", kNumberClicked);
    ASSERT_TRUE(board.IsOpen());
    EXPECT_EQ(view.name.text, "");
    EXPECT_EQ(view.information.text, "");
    EXPECT_TRUE(view.editable);
}

TEST_F(InfoBoardTest, ModeTwoNeverOpensButStillHandsTheNameBack) {
    settings.info_board_mode() = kBoardNever;
    ASSERT_EQ(book.SaveRecord("0312345678", "山田", ""), SaveResult::Saved);
    EXPECT_EQ(board.HandOver("0312345678", kNumberDecoded).name, "山田");
    board.HandOver("0312345678", kNumberClicked);
    EXPECT_FALSE(board.IsOpen());
    EXPECT_EQ(view.creates, 0);
}

TEST_F(InfoBoardTest, OpenForIgnoresTheModeButNotAnOpenBoard) {
    settings.info_board_mode() = kBoardNever;
    ASSERT_EQ(book.SaveRecord("0312345678", "山田", "メモ\r\n２行目"), SaveResult::Saved);
    board.OpenFor("031234567899999");
    ASSERT_TRUE(board.IsOpen());
    EXPECT_EQ(board.BoardNumber(), "03123456789999");
    EXPECT_EQ(view.name.text, "");  // the 14-byte key is another number

    board.OpenFor("0312345678");  // a board is open: no second one
    EXPECT_EQ(view.creates, 1);
    board.RequestUnregister();
    board.ProcessRequests();

    board.OpenFor("0312345678");
    EXPECT_EQ(view.creates, 2);
    EXPECT_EQ(view.name.text, "山田");
    EXPECT_EQ(view.information.text, "メモ\r\n２行目");
    board.Close();

    board.OpenFor("非通知");
    board.OpenFor("");
    EXPECT_EQ(view.creates, 2);
}

TEST_F(InfoBoardTest, WithheldAndNonNumbersOpenNothing) {
    NumberLookup withheld = board.HandOver("非通知", kNumberDecoded);
    EXPECT_FALSE(withheld.lookedUp);
    // A click on a withheld number is looked up (nothing found) but opens no board.
    EXPECT_TRUE(board.HandOver("非通知", kNumberClicked).lookedUp);
    EXPECT_FALSE(board.HandOver("", kNumberClicked).lookedUp);
    EXPECT_FALSE(board.HandOver("*123", kNumberDecoded).lookedUp);
    EXPECT_EQ(view.creates, 0);
}

TEST_F(InfoBoardTest, TextThatIsNotANumberShowsTheNoticeWithSaveDisabled) {
    board.HandOver("P0312", kNumberDecoded);
    ASSERT_TRUE(board.IsOpen());
    EXPECT_FALSE(view.editable);
    EXPECT_EQ(view.name.text, "");
    EXPECT_EQ(view.information.text, "電話番号が取得不能か又は非通知です");

    // "登録不要" only closes it; nothing reaches the phone book.
    board.RequestUnregister();
    board.ProcessRequests();
    EXPECT_FALSE(board.IsOpen());
    EXPECT_EQ(book.EntryCount(), 0u);
}

TEST_F(InfoBoardTest, LongNumberIsLookedUpTitledAndStoredAsItsFirst14Digits) {
    ASSERT_EQ(book.SaveRecord("01234567890123", "長番号", "x"), SaveResult::Saved);
    NumberLookup lookup = board.HandOver("0123456789012345", kNumberDecoded);
    EXPECT_EQ(lookup.name, "長番号");
    EXPECT_EQ(view.title, "情報ボード（ 01234567890123 ）");

    view.information.text = "更新";
    board.RequestSave();
    board.ProcessRequests();
    EXPECT_FALSE(board.IsOpen());
    EXPECT_EQ(book.EntryCount(), 1u);
    EXPECT_EQ(Read("01234567890123").information, "更新");
}

TEST_F(InfoBoardTest, SaveStoresTheFieldsAndKeepsRectangleAndSize) {
    board.HandOver("0312345678", kNumberDecoded);
    ASSERT_TRUE(board.IsOpen());
    view.name.text = "佐藤 花子";
    view.information.text = "１行目\r\n２行目\r\n３行目";
    board.ChooseCharSize(12);
    board.ChooseCharSize(9);  // not a size of the board: ignored
    board.Upkeep();
    // The stored size (the default 8) as the board opened, then the choice.
    EXPECT_EQ(view.applied, (std::vector<int>{8, 12}));
    board.RequestSave();
    board.ProcessRequests();

    EXPECT_FALSE(board.IsOpen());
    EXPECT_EQ(view.destroys, 1);
    EXPECT_EQ(board.BoardNumber(), "");
    InfoRecord r = Read("0312345678");
    EXPECT_EQ(r.name, "佐藤 花子");
    EXPECT_EQ(r.information, "１行目\r\n２行目\r\n３行目");
    EXPECT_EQ(settings.info_board_font(), 12);
    EXPECT_EQ(settings.info_board_rect(0), 10);
    EXPECT_EQ(settings.info_board_rect(1), 20);
    EXPECT_EQ(settings.info_board_rect(2), 500);
    EXPECT_EQ(settings.info_board_rect(3), 260);

    // The next board starts with the remembered size and place.
    board.HandOver("0312345678", kNumberClicked);
    EXPECT_EQ(board.CharSize(), 12);
    EXPECT_EQ(view.rect.x, 10);
    EXPECT_EQ(view.rect.width, 500);
    EXPECT_EQ(view.name.text, "佐藤 花子");
}

TEST_F(InfoBoardTest, InformationOfExactly10000BytesIsStoredWhole) {
    board.HandOver("0312345678", kNumberDecoded);
    view.information.text = Text(10000);
    board.RequestSave();
    board.ProcessRequests();
    EXPECT_FALSE(board.IsOpen());
    EXPECT_EQ(Read("0312345678").information, Text(10000));
}

TEST_F(InfoBoardTest, OverlongOrUnsavableTextKeepsTheBoardOpenAndTheBookUnchanged) {
    ASSERT_EQ(book.SaveRecord("0312345678", "元の名前", "元の情報"), SaveResult::Saved);
    board.HandOver("0312345678", kNumberDecoded);

    view.information.text = Text(10001);
    board.RequestSave();
    board.ProcessRequests();
    EXPECT_TRUE(board.IsOpen());
    ASSERT_EQ(view.told.size(), 1u);
    EXPECT_NE(view.told[0].find("10001"), std::string::npos);

    view.information.text = "短い";
    view.name.text = std::string(202, 'a');
    board.RequestSave();
    board.ProcessRequests();
    EXPECT_TRUE(board.IsOpen());
    EXPECT_EQ(view.told.size(), 2u);

    view.name.text = "名前?";
    view.name.exact = false;
    board.RequestSave();
    board.ProcessRequests();
    EXPECT_TRUE(board.IsOpen());
    EXPECT_EQ(view.told.size(), 3u);
    EXPECT_EQ(Read("0312345678").name, "元の名前");
    EXPECT_EQ(Read("0312345678").information, "元の情報");

    // Corrected, it saves: a 201-byte name is allowed.
    view.name = FieldText{std::string(201, 'b'), true};
    board.RequestSave();
    board.ProcessRequests();
    EXPECT_FALSE(board.IsOpen());
    EXPECT_EQ(Read("0312345678").name, std::string(201, 'b'));
    EXPECT_EQ(Read("0312345678").information, "短い");
}

TEST_F(InfoBoardTest, RefusedSaveKeepsTheTextOnceThenClosesOnTheNextTry) {
    // Spend this run's appends: the 101st new number is refused.
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(book.SaveRecord("05" + std::to_string(1000 + i), "", ""), SaveResult::Saved);
    }
    board.HandOver("0312345678", kNumberDecoded);
    view.information.text = "大事なメモ";
    board.RequestSave();
    board.ProcessRequests();
    EXPECT_TRUE(board.IsOpen());
    EXPECT_EQ(view.information.text, "大事なメモ");
    EXPECT_EQ(view.told.size(), 1u);
    EXPECT_FALSE(messages.warnings.empty());

    board.RequestSave();
    board.ProcessRequests();
    EXPECT_FALSE(board.IsOpen());
    EXPECT_FALSE(Has("0312345678"));
    EXPECT_EQ(board.BoardNumber(), "0312345678");
}

TEST_F(InfoBoardTest, UnregisterDeletesTheEntryOrOnlyCloses) {
    ASSERT_EQ(book.SaveRecord("0312345678", "山田", "メモ"), SaveResult::Saved);
    ASSERT_EQ(book.SaveRecord("0399999999", "残す", ""), SaveResult::Saved);
    board.HandOver("0312345678", kNumberDecoded);
    board.RequestUnregister();
    board.RequestSave();  // both pressed within one tick: the deletion wins
    board.ProcessRequests();
    EXPECT_FALSE(board.IsOpen());
    EXPECT_EQ(view.destroys, 1);
    EXPECT_FALSE(Has("0312345678"));
    EXPECT_TRUE(Has("0399999999"));
    EXPECT_EQ(board.BoardNumber(), "");

    // A number not in the phone book: only closed.
    board.HandOver("0455555555", kNumberClicked);
    ASSERT_TRUE(board.IsOpen());
    board.RequestUnregister();
    board.ProcessRequests();
    EXPECT_FALSE(board.IsOpen());
    EXPECT_EQ(board.BoardNumber(), "0455555555");
    EXPECT_TRUE(Has("0399999999"));
}

TEST_F(InfoBoardTest, RequestsWithoutABoardAndAFailedCreateDoNothing) {
    board.RequestSave();
    board.RequestUnregister();
    board.ProcessRequests();
    EXPECT_EQ(book.EntryCount(), 0u);
    EXPECT_EQ(view.destroys, 0);

    view.createSucceeds = false;
    board.HandOver("0312345678", kNumberDecoded);
    EXPECT_FALSE(board.IsOpen());
    board.Upkeep();
    EXPECT_TRUE(view.counters.empty());
    // Stale requests from before were consumed, not kept for a later board.
    view.createSucceeds = true;
    board.HandOver("0312345678", kNumberDecoded);
    board.ProcessRequests();
    EXPECT_TRUE(board.IsOpen());
}

TEST_F(InfoBoardTest, UnusableStoredFontAndRectangleFallBackToDefaults) {
    settings.info_board_font() = 0;
    for (int i = 0; i < 4; ++i) settings.set_info_board_rect(i, 0);
    board.HandOver("0312345678", kNumberDecoded);
    EXPECT_EQ(board.CharSize(), 8);
    EXPECT_EQ(view.rect.x, 1024 / 2 - 235);
    EXPECT_EQ(view.rect.y, 370);
    EXPECT_EQ(view.rect.width, 470);
    EXPECT_EQ(view.rect.height, 200);
}

TEST_F(InfoBoardTest, CloseAtExitKeepsPlaceButDoesNotSave) {
    board.HandOver("0312345678", kNumberDecoded);
    view.information.text = "未保存";
    board.ChooseCharSize(6);
    board.Close();
    EXPECT_FALSE(board.IsOpen());
    EXPECT_FALSE(Has("0312345678"));
    EXPECT_EQ(settings.info_board_font(), 6);
    EXPECT_EQ(settings.info_board_rect(2), 500);
}

}  // namespace
