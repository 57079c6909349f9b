#include "browser/name_actions.h"

#include <gtest/gtest.h>

#include "common/file_layer.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::Utf8PathExists;
using suite_test::WriteAllBytes;

namespace {

struct FakeMessages : BrowserMessages {
    std::vector<std::pair<std::string, std::string>> shown;
    bool answer = true;
    void Inform(const std::string& text, const std::string& caption) override { shown.emplace_back(text, caption); }
    bool Confirm(const std::string& text, const std::string& caption) override {
        shown.emplace_back(text, caption);
        return answer;
    }
};

struct Browser {
    RecordingList list;
    NameActions actions;
    FakeMessages messages;
    std::string preferred;

    explicit Browser(std::initializer_list<const char*> files) {
        for (const char* f : files) WriteAllBytes(f, {static_cast<uint8_t>(f[0])});
        list.SetFolder("");
        list.Rebuild(1, 0, "", 0);
    }
    void Press(const std::string& nameBox, bool exact = true) {
        actions.ActionPressed();
        actions.Act(list, nameBox, exact, 1, 0, &preferred, messages);
    }
    std::string Current() const { return list.currentName() + list.currentExt(); }
};

}  // namespace

TEST(NameActions, SearchStepsThroughRowsThenStartsAgain) {
    TestFolder dir;
    Browser b({"01.ogg", "02.ogg", "12.ogg"});
    b.actions.ModePressed(b.list);
    EXPECT_FALSE(b.actions.DeleteEnabled());
    EXPECT_STREQ(b.actions.ActionLabel(), "検索開始");

    b.Press("2");
    EXPECT_EQ(b.Current(), "02.ogg");
    EXPECT_STREQ(b.actions.ActionLabel(), "次を検索");
    std::string box;
    EXPECT_FALSE(b.list.TakeNameBox(&box)) << "the name box keeps the search text";
    b.Press("2");
    EXPECT_EQ(b.Current(), "12.ogg");
    b.Press("2");
    ASSERT_EQ(b.messages.shown.size(), 1u);
    EXPECT_EQ(b.messages.shown[0].first, "2\nを最後まで検索しました。");
    EXPECT_EQ(b.messages.shown[0].second, "検索終了");
    EXPECT_STREQ(b.actions.ActionLabel(), "検索開始");
    b.Press("2");
    EXPECT_EQ(b.Current(), "02.ogg") << "after the end the search starts at the top";

    // Editing between presses starts again from the first row.
    b.Press("2");
    b.actions.NameBoxEdited();
    b.Press("1");
    EXPECT_EQ(b.Current(), "01.ogg");

    b.actions.NameBoxEdited();
    b.Press("OGG");
    EXPECT_EQ(b.messages.shown.back().first, "OGG\nを最後まで検索しました。") << "case-sensitive";
    b.actions.NameBoxEdited();
    b.Press("");
    EXPECT_EQ(b.messages.shown.back().first, "先に検索文字を「検索窓」に入力してください。");
}

TEST(NameActions, SearchMatchesWhereCharactersStart) {
    // "表" is 95 5C (a backslash as trail byte), "ア" 83 41 (an "A").
    EXPECT_FALSE(RowContains("表.ogg", "\\"));
    EXPECT_FALSE(RowContains("ア.ogg", "A"));
    EXPECT_TRUE(RowContains("表\\.ogg", "\\"));
    EXPECT_TRUE(RowContains("電話表.ogg", "表"));
    EXPECT_FALSE(RowContains("x", "xy"));
}

TEST(NameActions, RenameKeepsTheExtensionAndSelectsTheNewName) {
    TestFolder dir;
    Browser b({"2026.12.07 14-05-33.ogg", "b.ogg", "a.ogg"});
    b.list.Select(0);
    ASSERT_EQ(b.Current(), "2026.12.07 14-05-33.ogg");
    b.Press("c");
    EXPECT_TRUE(b.messages.shown.empty());
    EXPECT_TRUE(Utf8PathExists("c.ogg"));
    EXPECT_EQ(b.Current(), "c.ogg");
    EXPECT_EQ(b.preferred, "c.ogg");

    b.list.Select(1);  // b.ogg
    b.Press("a");
    EXPECT_EQ(b.messages.shown.back().first, "指定されたファイル名は既に存在します、\n別の名前に変更してください。");
    EXPECT_EQ(b.messages.shown.back().second, "インフォメーション");
    b.Press("");
    EXPECT_EQ(b.messages.shown.back().first, "先に新しい名前を「名前の変更窓」に入力してください。");
    EXPECT_EQ(ReadAllBytes("b.ogg"), std::vector<uint8_t>{'b'});

    // Each failure names its cause: a file gone since the list was made.
    ASSERT_TRUE(DeleteFilePath("b.ogg"));
    b.Press("d");
    EXPECT_EQ(b.messages.shown.back().first, "このファイルが見つかりません、\n移動または削除された可能性があります。");
    EXPECT_FALSE(Utf8PathExists("d.ogg"));
}

TEST(NameActions, RenameRefusesNamesThatLeaveTheFolderOrCannotBeFileNames) {
    TestFolder dir;
    ASSERT_TRUE(CreateFolderPath("sub"));
    Browser b({"a.ogg"});
    for (const char* bad : {"sub\\x", "..\\x", "sub/x", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "x.",
                            "x ", ".", "..", "a\tb"}) {
        b.messages.shown.clear();
        b.Press(bad);
        ASSERT_EQ(b.messages.shown.size(), 1u) << bad;
        EXPECT_EQ(b.messages.shown[0].first,
                  "入力の文字はファイル名として使用できません、\n記号は漢字で入力してください。")
            << bad;
        EXPECT_EQ(b.messages.shown[0].second, "インフォメーション");
    }
    EXPECT_TRUE(Utf8PathExists("a.ogg"));
    EXPECT_EQ(b.list.rows(), std::vector<std::string>{"a.ogg"});
    // Too long, and typed with a character Shift-JIS lacks (the window
    // hands over its substitute): each with its own text, nothing renamed.
    b.Press(std::string(516, 'x'));
    EXPECT_EQ(b.messages.shown.back().first, "新しい名前が長すぎます、\n短い名前を入力してください。");
    b.Press("a", false);
    EXPECT_EQ(b.messages.shown.back().first,
              "入力の名前にはシフトJISで表せない文字が含まれています、\n別の文字で入力してください。");
    EXPECT_EQ(b.list.rows(), std::vector<std::string>{"a.ogg"});
    EXPECT_TRUE(Utf8PathExists("a.ogg"));
    // A kanji whose trail byte is a backslash is an ordinary character.
    b.Press("表");
    EXPECT_EQ(b.Current(), "表.ogg");
    EXPECT_TRUE(Utf8PathExists(u8"表.ogg"));
}

TEST(NameActions, DeleteAsksRemovesAFileOnlyAndSelectsTheRowAtItsPlace) {
    TestFolder dir;
    ASSERT_TRUE(CreateFolderPath("old.calls"));
    WriteAllBytes("old.calls/keep.ogg", {1});
    Browser b({"1.ogg", "2.ogg", "3.ogg", "4.ogg"});
    b.list.Select(2);
    b.messages.answer = false;
    b.actions.Delete(b.list, 1, 0, "", b.messages);
    EXPECT_EQ(b.messages.shown.back().first, "3.ogg\n\n本当に削除しますか？");
    EXPECT_EQ(b.messages.shown.back().second, "削除確認");
    EXPECT_EQ(b.list.rows().size(), 5u);

    b.messages.answer = true;
    b.actions.Delete(b.list, 1, 0, "", b.messages);
    EXPECT_FALSE(Utf8PathExists("3.ogg"));
    EXPECT_EQ(b.Current(), "4.ogg") << "the row now at the same place";

    b.list.Select(3);  // old.calls
    ASSERT_EQ(b.Current(), "old.calls");
    const size_t asked = b.messages.shown.size();
    b.actions.Delete(b.list, 1, 0, "", b.messages);
    EXPECT_EQ(b.messages.shown.size(), asked) << "a folder row is not offered for deletion";
    EXPECT_TRUE(Utf8PathExists("old.calls/keep.ogg"));
    EXPECT_EQ(b.Current(), "old.calls");


    // Deleting the only row leaves an empty list.
    ASSERT_TRUE(CreateFolderPath("only"));
    WriteAllBytes("only/x.ogg", {1});
    b.list.SetFolder("only\\");
    b.list.Rebuild(1, 0, "", 0);
    b.actions.Delete(b.list, 1, 0, "", b.messages);
    EXPECT_TRUE(b.list.rows().empty());
    std::string box;
    ASSERT_TRUE(b.list.TakeNameBox(&box));
    EXPECT_EQ(box, "音声ファイルが存在しない");
}
