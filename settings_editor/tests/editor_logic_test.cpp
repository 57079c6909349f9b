#include "settings_editor/editor_logic.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "common/byte_io.h"
#include "common/file_layer.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::TestFolder;
using suite_test::Utf8PathExists;

namespace {

void SetFolders(SettingsRecord* r, std::initializer_list<const char*> folders) {
    for (size_t s = 0; s < 5; ++s) r->folder_list(s).Set("");
    size_t s = 0;
    for (const char* f : folders) r->folder_list(s++).Set(f);
}

}  // namespace

TEST(EditorLogic, ForbiddenCharactersSkipTrailBytes) {
    struct Case {
        std::string text;
        bool forbidden;
    } cases[] = {
        {"yyyy年mm月", false}, {"表", false},  // 表 ends in 0x5C
        {"ソ", false},                       // ソ is 0x83 0x5C
        {"yyyy/mm", true},    {"a\\b", true},     {"x:y", true}, {"*", true}, {"?", true},
        {"\"", true},         {"<", true},        {">", true},   {"|", true}, {"表\\", true},
        {"能|", true},        {"", false},        {"[着信]_-・", false},
        // A byte 0xFD..0xFF is taken as a lead byte too, so the next byte is skipped.
        {std::string("\xFD") + "/", false},
    };
    for (const Case& c : cases) EXPECT_EQ(HasForbiddenChar(c.text), c.forbidden) << c.text;
}

TEST(EditorLogic, TimeTokensCountNonOverlapping) {
    struct Case {
        const char* text;
        int count;
    } cases[] = {{"", 0}, {"x", 0}, {"xx", 1}, {"xxx", 1}, {"xxxx", 2}, {"xxxxx", 2},
                 {"dd日xx時xx分xx秒", 3}, {"dd日xx時xx分xx秒xx", 4}, {"mmddxxxxyyyy", 2}, {"XX", 0},
                 // ベ is 0x83 0x78: its trail byte is not an "x".
                 {"ベxベxベxベx", 0}, {"ベxx", 1}, {"xベxx", 1}};
    for (const Case& c : cases) EXPECT_EQ(CountTimeTokens(c.text), c.count) << c.text;
}

TEST(EditorLogic, FormatValidation) {
    const char* bad = "入力の文字はフォルダー名として使用できません、\n記号は漢字で入力してください。";
    const char* badFile = "入力の文字はファイル名として使用できません、\n記号は漢字で入力してください。";
    const char* tokens = "時刻を表すxxの数は３個までです。";
    struct Case {
        int k;
        std::string text;
        const char* message;  // nullptr: valid
    } cases[] = {
        {1, "yyyy年mm月", nullptr},
        {1, "yyyy/mm", bad},
        {1, "yyyy年mm月dd日xx時", nullptr},
        {1, "xxxxxx", nullptr},
        {1, "xxxxxxxx", tokens},
        {2, "dd日xx時xx分xx秒", nullptr},
        {2, "dd日xx時xx分xx秒xx", tokens},
        {2, "mm：yyyy　dd_xxxxxx", nullptr},
        {2, "dd:xx", badFile},
        {3, "着信_電話番号", nullptr},
        {3, "xxxxxxxxxx", nullptr},  // no token limit for the call formats
        {4, "発信?", badFile},
        {3, "表示", nullptr},
        // Every character is checked, whatever the first byte is: a
        // recording name with one of them could not be made.
        {1, " yyyy/mm", bad},
        {2, " dd:xx", badFile},
        {2, std::string("\x01") + "a/b", badFile},
        {2, "!a/b", badFile},
        {2, std::string("\xE0\x40") + "/", badFile},
        {2, "亜/", badFile},
    };
    for (const Case& c : cases) {
        const char* got = ValidateFormat(c.k, c.text);
        if (!c.message) {
            EXPECT_EQ(got, nullptr) << c.k << " " << c.text;
        } else {
            ASSERT_NE(got, nullptr) << c.k << " " << c.text;
            EXPECT_STREQ(got, c.message) << c.k << " " << c.text;
        }
    }
}

TEST(EditorLogic, FormatWordsAndOffsets) {
    EXPECT_STREQ(FormatWord(3, 0), "着信");
    EXPECT_STREQ(FormatWord(3, 1), "着信日付");
    EXPECT_STREQ(FormatWord(4, 1), "発信日付");
    EXPECT_STREQ(FormatWord(4, 2), "電話番号");
    EXPECT_STREQ(FormatWord(3, 3), "電話帳");
    const SettingsRecord r;
    auto offset = [&r](int k) { return static_cast<size_t>(FormatSlot(r, k).data() - r.data()); };
    EXPECT_EQ(offset(1), 1740u);
    EXPECT_EQ(offset(2), 960u);
    EXPECT_EQ(offset(3), 1220u);
    EXPECT_EQ(offset(4), 1480u);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(FormatSlot(r, k).size(), 260u) << k;
    // Pressing "着信", typing "_", pressing "電話番号" builds the text in order.
    std::string text = std::string(FormatWord(3, 0)) + "_" + FormatWord(3, 2);
    EXPECT_EQ(text, "着信_電話番号");
    EXPECT_EQ(ValidateFormat(3, text), nullptr);
}

TEST(EditorLogic, AddingRecordFolders) {
    SettingsRecord r;
    SetFolders(&r, {"通話記録\\"});
    int slot = -1;
    EXPECT_EQ(AddRecordFolder(&r, "D:\\録音", &slot), AddFolderResult::Added);
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(r.folder_list(1).Get(), "D:\\録音\\");
    EXPECT_EQ(r.folder_choice(), 1);
    EXPECT_EQ(AddRecordFolder(&r, "E:\\表\\", &slot), AddFolderResult::Added);
    EXPECT_EQ(r.folder_list(2).Get(), "E:\\表\\") << "a closing \\ is not doubled";
    EXPECT_EQ(AddRecordFolder(&r, "F:\\表", &slot), AddFolderResult::Added);
    EXPECT_EQ(r.folder_list(3).Get(), "F:\\表\\") << "表's trail byte is not a closing \\";

    // 239 bytes fit; 240 are refused and nothing changes.
    EXPECT_EQ(AddRecordFolder(&r, std::string(240, 'a'), &slot), AddFolderResult::TooLong);
    EXPECT_EQ(AddRecordFolder(&r, "", &slot), AddFolderResult::TooLong);
    EXPECT_EQ(r.folder_list(4).at(0), 0);
    EXPECT_EQ(r.folder_choice(), 3);
    EXPECT_EQ(AddRecordFolder(&r, std::string(239, 'b'), &slot), AddFolderResult::Added);
    EXPECT_EQ(r.folder_list(4).Get(), std::string(239, 'b') + "\\");

    // A sixth folder is refused and the five stay as they were.
    SettingsRecord before = r;
    EXPECT_EQ(AddRecordFolder(&r, "G:\\x", &slot), AddFolderResult::Full);
    EXPECT_TRUE(std::equal(r.data(), r.data() + SettingsRecord::kSize, before.data()));
}

TEST(EditorLogic, DeletingTheSecondOfThreeFolders) {
    SettingsRecord r;
    SetFolders(&r, {"A\\", "B\\", "C\\"});
    r.folder_choice() = 1;
    DeleteRecordFolder(&r, 1);
    EXPECT_EQ(r.folder_list(0).Get(), "A\\");
    EXPECT_EQ(r.folder_list(1).Get(), "C\\");
    EXPECT_EQ(r.folder_list(2).at(0), 0);
    for (size_t i = 0; i < 262; ++i) ASSERT_EQ(r.folder_list(2).at(i), 0) << "slot 2 wholly cleared, byte " << i;
    EXPECT_EQ(r.folder_choice(), 0);
    EXPECT_EQ(RecordFolders(r), (std::vector<std::string>{"A\\", "C\\"}));
}

TEST(EditorLogic, DeletingWithAGapLeavesNoDuplicate) {
    // Slots filled with a hole (as a damaged or hand-edited file may have).
    SettingsRecord r;
    SetFolders(&r, {"A\\", "", "C\\", "D\\"});
    DeleteRecordFolder(&r, 0);
    EXPECT_EQ(RecordFolders(r), (std::vector<std::string>{"C\\", "D\\"}));
    EXPECT_EQ(r.folder_list(2).at(0), 0);
    EXPECT_EQ(r.folder_list(3).at(0), 0);
    // Deleting the only folder leaves none.
    SetFolders(&r, {"A\\"});
    DeleteRecordFolder(&r, 0);
    EXPECT_TRUE(RecordFolders(r).empty());
}

TEST(EditorLogic, IncomingFolderChoice) {
    SettingsRecord r;
    std::string chosen = "C:\\着信";
    EXPECT_EQ(SetIncomingFolder(&r, &chosen), IncomingFolderResult::Stored);
    EXPECT_EQ(r.number_output_path().Get(), "C:\\着信\\");
    std::string tooLong(260, 'a');
    EXPECT_EQ(SetIncomingFolder(&r, &tooLong), IncomingFolderResult::TooLong);
    EXPECT_EQ(r.number_output_path().Get(), "C:\\着信\\") << "a refused path changes nothing";
    std::string atLimit(259, 'a');
    EXPECT_EQ(SetIncomingFolder(&r, &atLimit), IncomingFolderResult::TooLong)
        << "259 bytes and the added \\ no longer fit the slot";
    std::string fits(258, 'a');
    EXPECT_EQ(SetIncomingFolder(&r, &fits), IncomingFolderResult::Stored);
    EXPECT_EQ(r.number_output_path().Get(), fits + "\\");
    // A cancelled chooser keeps the folder the user had.
    EXPECT_EQ(SetIncomingFolder(&r, nullptr), IncomingFolderResult::Cancelled);
    EXPECT_EQ(r.number_output_path().Get(), fits + "\\");
}

TEST(EditorLogic, FolderTestCreatesAndRemovesOnlyItsOwnFolders) {
    TestFolder dir;
    SettingsRecord r;
    SetFolders(&r, {"通話記録\\", "既存\\"});
    r.folder_name_format().Set("yyyy年mm月");
    r.folder_choice() = 0;
    EXPECT_EQ(FolderTestPath(r), "通話記録\\yyyy年mm月xTMPxtmp\\");

    EXPECT_TRUE(RunFolderTest(FolderTestPath(r)));
    EXPECT_FALSE(Utf8PathExists(u8"通話記録")) << "made by the test, so removed again";

    // An empty record folder the user made stays.
    ASSERT_TRUE(CreateFolderPath("既存"));
    r.folder_choice() = 1;
    EXPECT_TRUE(RunFolderTest(FolderTestPath(r)));
    EXPECT_TRUE(Utf8PathExists(u8"既存"));
    EXPECT_FALSE(Utf8PathExists(u8"既存/yyyy年mm月xTMPxtmp"));

    // A name the file system cannot hold fails; nothing is left behind.
    r.folder_name_format().Set(std::string(120, 'a') + std::string(60, 'a') + "長い名前" +
                                                           std::string(70, 'z'));
    EXPECT_FALSE(RunFolderTest(FolderTestPath(r)));
    EXPECT_TRUE(Utf8PathExists(u8"既存"));

    // An out-of-range choice uses no record folder rather than reading past the list.
    r.folder_choice() = 200;
    EXPECT_EQ(FolderTestPath(r).substr(0, 3), "aaa");
}

TEST(EditorLogic, IncomingPathCheck) {
    TestFolder dir;
    ASSERT_TRUE(CreateFolderPath("着信"));
    struct Case {
        std::string text;
        IncomingPathCheck result;
    } cases[] = {
        {"着信\\", IncomingPathCheck::Ok},
        {"着信\\number.txt", IncomingPathCheck::Ok},
        {"着信\\番号表.txt", IncomingPathCheck::Ok},
        {"着信\\a?b.txt", IncomingPathCheck::BadFileName},
        {"着信\\a:b", IncomingPathCheck::BadFileName},
        {"ない\\number.txt", IncomingPathCheck::FolderMissing},
        {"number.txt", IncomingPathCheck::FolderMissing},
        {"", IncomingPathCheck::FolderMissing},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckIncomingPath(c.text), c.result) << c.text;
}

TEST(EditorLogic, RandomRecordsAreHandledInsideTheirSlots) {
    std::mt19937 rng(99);
    for (int round = 0; round < 500; ++round) {
        SettingsRecord r;
        for (size_t i = 0; i < SettingsRecord::kSize; ++i) r.data()[i] = static_cast<uint8_t>(rng());
        // Unterminated slots of any content.
        std::vector<std::string> folders = RecordFolders(r);
        EXPECT_LE(folders.size(), 5u);
        for (const std::string& f : folders) EXPECT_LE(f.size(), 262u);
        std::string path = FolderTestPath(r);
        EXPECT_LE(path.size(), 262u + 260u + 9u);
        for (int k = 1; k <= 4; ++k) ValidateFormat(k, FormatSlot(r, k).Get());
        if (round % 2) DeleteRecordFolder(&r, rng() % 6);
        int slot;
        AddRecordFolder(&r, "X:\\y", &slot);
        EXPECT_LE(RecordFolders(r).size(), 5u);
    }
}

TEST(EditorLogic, IncomingPathTakeOverAtClose) {
    TestFolder dir;
    ASSERT_TRUE(CreateFolderPath("着信"));
    SettingsRecord r;
    auto field = [&r] { return r.number_output_path().Get(); };

    // Typed by hand while the field was empty: taken over.
    EXPECT_EQ(TakeOverIncomingPath(&r, "着信\\number.txt"), IncomingPathCheck::Ok);
    EXPECT_EQ(field(), "着信\\number.txt");
    // A shorter text leaves nothing of the longer one behind its terminator.
    EXPECT_EQ(TakeOverIncomingPath(&r, "着信\\"), IncomingPathCheck::Ok);
    EXPECT_EQ(field(), "着信\\");
    for (size_t i = 6; i < 260; ++i) ASSERT_EQ(r.number_output_path().at(i), 0) << i;

    // Refusals keep the field as it was.
    EXPECT_EQ(TakeOverIncomingPath(&r, "ない\\n.txt"), IncomingPathCheck::FolderMissing);
    EXPECT_EQ(TakeOverIncomingPath(&r, "n.txt"), IncomingPathCheck::FolderMissing);
    EXPECT_EQ(TakeOverIncomingPath(&r, "着信\\a|b.txt"), IncomingPathCheck::BadFileName);
    EXPECT_EQ(field(), "着信\\");

    // 259 bytes fit the slot; one more is refused, never cut.
    std::string longest = "着信\\" + std::string(259 - 5, 'a');
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_EQ(TakeOverIncomingPath(&r, longest), IncomingPathCheck::Ok);
    EXPECT_EQ(field(), longest);
    EXPECT_EQ(TakeOverIncomingPath(&r, longest + "b"), IncomingPathCheck::TooLong);
    EXPECT_EQ(field(), longest);

    // An emptied edit turns the number output off.
    EXPECT_EQ(TakeOverIncomingPath(&r, ""), IncomingPathCheck::Ok);
    EXPECT_EQ(field(), "");
}

TEST(EditorLogic, FormatsLongerThanTheirFieldAreRefused) {
    EXPECT_EQ(ValidateFormat(2, std::string(259, 'a')), nullptr);
    // 130 double-byte characters: fewer than the edit's 259-character limit, more than the field holds.
    std::string wide;
    for (int i = 0; i < 130; ++i) wide += "年";
    for (int k = 1; k <= 4; ++k) {
        const char* message = ValidateFormat(k, wide);
        ASSERT_NE(message, nullptr) << k;
        EXPECT_STREQ(message, kMsgFormatTooLong);
    }

    SettingsRecord r;
    StoreFormat(&r, 3, "[着信]着信日付-電話番号-電話帳");
    StoreFormat(&r, 3, "着信");
    EXPECT_EQ(ByteReader(r.data(), r.size()).Text(1220, 260), "着信");
    for (size_t i = 1220 + 4; i < 1220 + 260; ++i) ASSERT_EQ(r.data()[i], 0) << i;
    EXPECT_EQ(r.data()[1220 + 260], 0) << "the next field is untouched";
}

TEST(EditorLogic, EditorWindowPlacement) {
    const WorkArea area{0, 0, 1024, 738};
    SettingsRecord r;
    // An all-zero record (a one-byte settings file) opens at the default place.
    Rect d = EditorWindowPlacement(r, area);
    EXPECT_EQ(d.x, 512 - 390);
    EXPECT_EQ(d.y, 369 - 130);
    EXPECT_EQ(d.width, 780);
    EXPECT_EQ(d.height, 260);

    struct Case {
        const char* x;
        const char* y;
        const char* w;
        const char* h;
        bool stored;
    } cases[] = {
        {"10", "20", "1000", "420", true},
        {"-50", "-999", "585", "195", true},  // the smallest size the window allows
        {"10", "20", "584", "420", false},
        {"10", "20", "1000", "194", false},
        {"10", "20", "", "", false},
    };
    for (const Case& c : cases) {
        r.editor_window_text(0).Set(c.x);
        r.editor_window_text(1).Set(c.y);
        r.editor_window_text(2).Set(c.w);
        r.editor_window_text(3).Set(c.h);
        Rect p = EditorWindowPlacement(r, area);
        if (c.stored) {
            EXPECT_EQ(p.x, std::atoi(c.x));
            EXPECT_EQ(p.y, std::atoi(c.y));
            EXPECT_EQ(p.width, std::atoi(c.w));
            EXPECT_EQ(p.height, std::atoi(c.h));
        } else {
            EXPECT_EQ(p.width, 780) << c.w << "x" << c.h;
            EXPECT_EQ(p.height, 260) << c.w << "x" << c.h;
        }
    }
}

TEST(EditorLogic, FailedFolderTestRemovesTheFoldersItMade) {
    TestFolder dir;
    SettingsRecord r;
    SetFolders(&r, {"新規\\記録\\"});
    r.folder_name_format().Set(std::string(250, 'a'));
    EXPECT_FALSE(RunFolderTest(FolderTestPath(r)));
    EXPECT_FALSE(Utf8PathExists(u8"新規")) << "made before the too-long name failed";
}
