#include "recorder/save_recording.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "recorder/tests/fake_clock.h"
#include "common/settings_record.h"
#include "common/sjis_text.h"
#include "common/tests/test_folder.h"
#include "common/text_convert.h"

using namespace suite;
using suite_test::FixedClock;
using suite_test::SmallDisk;
using suite_test::TestFolder;
using suite_test::Utf8PathExists;

namespace {

class FakeField : public NumberField {
public:
    std::string text;
    int shows = 0;
    std::string Text() const override { return text; }
    void Show(const std::string& t) override {
        text = t;
        ++shows;
    }
};


// One recorder in its own folder: settings with the defaults, a writer and
// the saving step, at 2026-12-07 14:05:33.
struct Rig {
    TestFolder dir;
    FixedClock clock;
    RecordingWriter writer{clock};
    FakeField field;
    RecordingSaver saver{&writer, clock, &field};
    SettingsRecord record;

    Rig() {
        record.MakeDefaults(WorkArea{0, 0, 1024, 768});
        record.record_folder().Set("通話記録\\");
        record.recording_format() = 0;
    }

    // Records blocks and runs SaveRecording with the field showing fieldText.
    SaveOutcome RecordAndSave(const CallFacts& call, const std::string& fieldText, bool discard = false,
                              int blocks = 1) {
        std::vector<int16_t> block(kBlockSamples, 1000);
        writer.Open(record.recording_format());
        for (int i = 0; i < blocks; ++i) writer.Append(block.data(), block.size());
        field.text = fieldText;
        return saver.SaveRecording(LineSavingSettings(&record), call, discard);
    }

    std::string RecordingPath() { return record.recording_path().Get(); }
};

const char kDatedFolder[] = "通話記録\\2026年12月\\";

}  // namespace

TEST(SaveRecordingTest, NamesFromTheCallTheFieldAndTheFormats) {
    struct Case {
        bool incoming, manual;
        const char* number;
        const char* field;
        const char* name;
    } cases[] = {
        {true, false, "0300000000 山田", "0300000000 山田", "[着信]07日14時05分33秒-0300000000-山田"},
        {true, false, "0300000000", "0300000000", "[着信]07日14時05分33秒-0300000000-"},
        {true, false, "非通知", "非通知", "[着信]07日14時05分33秒-非通知-"},
        // Saved before the main loop showed the number: the items all the same.
        {false, false, "0312345678", "", "[発信]07日14時05分33秒-0312345678-"},
        {true, false, "0300000000 山田", "商談メモ", "商談メモ"},
        {true, false, "取得不能", "", "07日14時05分33秒"},
        {false, false, "", "", "07日14時05分33秒"},
        {true, true, "0300000000", "", "07日14時05分33秒"},
        {true, true, "", "手動メモ", "手動メモ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.record.recording_format() = 2;
        CallFacts call{c.number, c.incoming, c.manual};
        ASSERT_EQ(rig.RecordAndSave(call, c.field), SaveOutcome::Saved);
        std::string name = c.name;
        EXPECT_TRUE(PathExists(kDatedFolder + name + ".ogg"));
        EXPECT_FALSE(Utf8PathExists(u8"非常用フォルダー/TMP.tmp"));
        EXPECT_EQ(rig.field.text, name);
        EXPECT_EQ(std::string(rig.saver.LastSavedName()), name + ".ogg");
        EXPECT_EQ(rig.RecordingPath(), kDatedFolder);
        EXPECT_EQ(rig.writer.RecordedBytes(), 44);
        EXPECT_EQ(rig.saver.SavedToEmergency().load(), 0);
    }
}

TEST(SaveRecordingTest, SecondByteBackslashSurvivesIntoTheFileName) {
    Rig rig;
    // ソ is 83 5C and 表 is 95 5C: both end in the byte of "\".
    rig.record.record_folder().Set("表示用\\");
    rig.record.folder_name_format().Set("yyyy年mm月ソ");
    CallFacts call{"0312345678 ソニー", true, false};
    ASSERT_EQ(rig.RecordAndSave(call, "0312345678 ソニー"), SaveOutcome::Saved);
    EXPECT_TRUE(Utf8PathExists(u8"表示用/2026年12月ソ/[着信]07日14時05分33秒-0312345678-ソニー.wav"));
    EXPECT_EQ(std::string(rig.saver.LastSavedName()), "[着信]07日14時05分33秒-0312345678-ソニー.wav");
    EXPECT_EQ(rig.RecordingPath(), "表示用\\2026年12月ソ\\");
}

TEST(SaveRecordingTest, CollisionsGetNumbersBeforeTheExtension) {
    Rig rig;
    CallFacts call{"0300000000 山田", true, false};
    const std::string name = "[着信]07日14時05分33秒-0300000000-山田";
    for (const char* suffix : {"", "(1)", "(2)"}) {
        SCOPED_TRACE(suffix);
        ASSERT_EQ(rig.RecordAndSave(call, "0300000000 山田"), SaveOutcome::Saved);
        EXPECT_EQ(rig.field.text, name + suffix);
        EXPECT_EQ(std::string(rig.saver.LastSavedName()), name + suffix + ".wav");
        EXPECT_EQ(rig.saver.LastSavedPath(), kDatedFolder + name + suffix + ".wav");
        EXPECT_EQ(suite_test::ReadAllBytes(SjisPathToUtf8(rig.saver.LastSavedPath())).size(), 8044u);
    }
}

TEST(SaveRecordingTest, FolderThatCannotBeMadeSendsTheRecordingToTheEmergencyFolder) {
    Rig rig;
    suite_test::WriteAllBytes("blocker", {'x'});  // a file where a folder is needed
    rig.record.record_folder().Set("blocker\\");
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"", true, false}, ""), SaveOutcome::SavedInEmergencyFolder);
    EXPECT_TRUE(Utf8PathExists(u8"非常用フォルダー/07日14時05分33秒.wav"));
    EXPECT_EQ(rig.saver.SavedToEmergency().load(), 1);
    EXPECT_EQ(rig.RecordingPath(), "blocker\\2026年12月\\") << "the folder built, as the browser expects";
    EXPECT_EQ(rig.field.text, "07日14時05分33秒");

    // No record folder and no folder format: not the root of the drive.
    rig.record.record_folder().Set("");
    rig.record.folder_name_format().Set("");
    rig.record.file_name_format().Set("xx時xx分");
    ASSERT_EQ(rig.RecordAndSave(CallFacts{}, ""), SaveOutcome::SavedInEmergencyFolder);
    EXPECT_EQ(rig.saver.LastSavedPath(), "非常用フォルダー\\14時05分.wav");
    EXPECT_TRUE(Utf8PathExists(u8"非常用フォルダー/14時05分.wav"));
}

TEST(SaveRecordingTest, FailedRenameFallsBackToTheExplanatoryName) {
    Rig rig;
    rig.record.recording_format() = 1;
    // A name longer than the file system takes.
    const std::string tooLong(259, 'A');
    for (const char* suffix : {"", "(1)"}) {
        SCOPED_TRACE(suffix);
        rig.saver.SavedToEmergency().store(0);
        ASSERT_EQ(rig.RecordAndSave(CallFacts{"0300000000", true, false}, tooLong),
                  SaveOutcome::SavedInEmergencyFolder);
        const std::string fallback = std::string("電話終了時刻は2026年12月07日14時05分です。（設定を見直してください）") + suffix;
        EXPECT_TRUE(PathExists("非常用フォルダー\\" + fallback + ".ogg"));
        EXPECT_EQ(rig.field.text, fallback);
        EXPECT_EQ(std::string(rig.saver.LastSavedName()), fallback + ".ogg");
        EXPECT_EQ(rig.saver.SavedToEmergency().load(), 1);
    }
}

TEST(SaveRecordingTest, WhenEvenTheEmergencyFolderFailsItStopsAndReports) {
    Rig rig;
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"", true, false}, ""), SaveOutcome::Saved);
    const std::string before = rig.saver.LastSavedName();
    rig.field.shows = 0;

    std::vector<int16_t> block(kBlockSamples, 1000);
    rig.writer.Open(0);
    rig.writer.Append(block.data(), block.size());
    ASSERT_TRUE(DeleteFilePath(kTempRecordingPath));  // nothing left to move
    EXPECT_EQ(rig.saver.SaveRecording(LineSavingSettings(&rig.record), CallFacts{}, false), SaveOutcome::Failed);
    EXPECT_EQ(rig.saver.SaveFailed().load(), 1);
    EXPECT_EQ(rig.saver.SavedToEmergency().load(), 0) << "nothing went there";
    EXPECT_EQ(rig.saver.LastSavedName(), before);
    EXPECT_EQ(rig.field.shows, 0);
    EXPECT_EQ(rig.writer.RecordedBytes(), 44);
}

TEST(SaveRecordingTest, ExitWithAnOpenRecordingLeavesNoFile) {
    Rig rig;
    rig.record.recording_format() = 2;
    rig.record.recording_path().Set("前回\\");
    CallFacts call{"0300000000", true, false};
    ASSERT_EQ(rig.RecordAndSave(call, "0300000000", true, 3), SaveOutcome::Discarded);
    EXPECT_FALSE(Utf8PathExists(u8"非常用フォルダー/TMP.tmp"));
    std::vector<FolderEntry> entries;
    ListFolder(kDatedFolder, &entries);
    EXPECT_TRUE(entries.empty()) << "the dated folder may exist, but empty";
    EXPECT_EQ(rig.field.text, "0300000000") << "field unchanged";
    EXPECT_EQ(rig.RecordingPath(), kDatedFolder);
    EXPECT_EQ(rig.field.shows, 0);
    EXPECT_STREQ(rig.saver.LastSavedName(), "");
    EXPECT_EQ(rig.writer.RecordedBytes(), 44);
}

TEST(SaveRecordingTest, OverlongRecordingPathIsNotCutNorSpilled) {
    Rig rig;
    rig.record.recording_path().Set("前回\\");
    rig.record.record_folder().Set(std::string(200, 'a') + "\\");
    rig.record.folder_name_format().Set(std::string(150, 'b'));
    const std::string workFolder = rig.record.work_folder().Get();
    ASSERT_EQ(rig.RecordAndSave(CallFacts{}, ""), SaveOutcome::Saved);
    EXPECT_EQ(rig.RecordingPath(), "前回\\") << "352 bytes do not fit in 300";
    EXPECT_EQ(rig.record.work_folder().Get(), workFolder);
    EXPECT_TRUE(PathExists(std::string(200, 'a') + "\\" + std::string(150, 'b') + "\\07日14時05分33秒.wav"));
}


// Item by item, the characters a file name cannot hold become their
// full-width forms, at character starts only; control bytes are dropped.
TEST(SaveRecordingTest, CharactersAFileNameCannotHoldBecomeFullWidth) {
    EXPECT_EQ(FileNameSafe("山田/営業"), "山田／営業");
    EXPECT_EQ(FileNameSafe("a\\b/c:d*e?f\"g<h>i|j"), "a＼b／c：d＊e？f”g＜h＞i｜j");
    EXPECT_EQ(FileNameSafe("ソニー表"), "ソニー表") << "0x5C trail bytes belong to their kanji";
    EXPECT_EQ(FileNameSafe(std::string("a\tb\x01" "c\x7F" "d")), "abcd");
    EXPECT_EQ(FileNameSafe(std::string("x\x81")), "x\x81") << "a lone lead byte at the end is kept as it is";

    Rig rig;
    CallFacts call{"0300000000 山田/営業:本社", true, false};
    ASSERT_EQ(rig.RecordAndSave(call, "0300000000 山田/営業:本社"), SaveOutcome::Saved);
    EXPECT_TRUE(Utf8PathExists(u8"通話記録/2026年12月/[着信]07日14時05分33秒-0300000000-山田／営業：本社.wav"));
    EXPECT_EQ(rig.saver.SavedToEmergency().load(), 0) << "no emergency folder for a name";

    // A number with such characters, and a name typed into the field.
    call = CallFacts{"03|12*34?56 ソニー<表>", true, false};
    ASSERT_EQ(rig.RecordAndSave(call, ""), SaveOutcome::Saved);
    EXPECT_TRUE(Utf8PathExists(u8"通話記録/2026年12月/[着信]07日14時05分33秒-03｜12＊34？56-ソニー＜表＞.wav"));
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"", true, true}, "商談\"メモ\"\r\n"), SaveOutcome::Saved);
    EXPECT_TRUE(Utf8PathExists(u8"通話記録/2026年12月/商談”メモ”.wav"));
    EXPECT_EQ(rig.saver.SavedToEmergency().load(), 0);
}

// An all-zero record (its folder missing): every empty name format falls
// back to the default of its kind instead of naming calls ".wav".
TEST(SaveRecordingTest, EmptyNameFormatsFallBackToTheirDefaults) {
    Rig rig;
    std::fill(rig.record.data(), rig.record.data() + rig.record.size(), 0);
    SavingSettings s = LineSavingSettings(&rig.record);
    EXPECT_EQ(s.file_name_format, "dd日xx時xx分xx秒");
    EXPECT_EQ(s.incoming_name_format, "[着信]着信日付-電話番号-電話帳");
    EXPECT_EQ(s.outgoing_name_format, "[発信]発信日付-電話番号-電話帳");

    ASSERT_EQ(rig.RecordAndSave(CallFacts{"0312345678", true, false}, ""), SaveOutcome::SavedInEmergencyFolder);
    EXPECT_EQ(std::string(rig.saver.LastSavedName()), "[着信]07日14時05分33秒-0312345678-.wav");
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"0312345678", false, false}, ""), SaveOutcome::SavedInEmergencyFolder);
    EXPECT_EQ(std::string(rig.saver.LastSavedName()), "[発信]07日14時05分33秒-0312345678-.wav");
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"", true, true}, ""), SaveOutcome::SavedInEmergencyFolder);
    EXPECT_EQ(std::string(rig.saver.LastSavedName()), "07日14時05分33秒.wav");

    // Only an empty slot: a format of its own is used as it is.
    rig.record.file_name_format().Set("xx時xx分");
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"", true, true}, ""), SaveOutcome::SavedInEmergencyFolder);
    EXPECT_EQ(std::string(rig.saver.LastSavedName()), "14時05分.wav");
}

// The record folder on another file system: rename(2) cannot move there, so
// the recording is copied and the temporary file removed, as the Windows
// move does; it is not sent to the emergency folder.
TEST(SaveRecordingTest, RecordFolderOnAnotherFileSystemTakesTheRecording) {
    Rig rig;
    SmallDisk disk("other", 1024);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    rig.record.record_folder().Set("other\\");
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"0312345678", true, false}, "", false, 5), SaveOutcome::Saved);
    EXPECT_EQ(suite_test::ReadAllBytes(u8"other/2026年12月/[着信]07日14時05分33秒-0312345678-.wav").size(), 40044u);
    EXPECT_FALSE(Utf8PathExists(u8"非常用フォルダー/TMP.tmp"));
    EXPECT_EQ(rig.saver.SavedToEmergency().load(), 0);
}

// A move that fails part way (the record disk full) leaves nothing under
// the recording's name; the recording goes whole to the emergency folder.
TEST(SaveRecordingTest, FailedMoveRemovesWhatItCreated) {
    Rig rig;
    SmallDisk disk("full", 16);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    rig.record.record_folder().Set("full\\");
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"0312345678", true, false}, "", false, 5),
              SaveOutcome::SavedInEmergencyFolder);
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder("full\\2026年12月", &entries));
    EXPECT_TRUE(entries.empty()) << "left in the record folder: " << SjisToUtf8(entries[0].name);
    EXPECT_EQ(suite_test::ReadAllBytes(SjisPathToUtf8(rig.saver.LastSavedPath())).size(), 40044u);
    EXPECT_FALSE(Utf8PathExists(u8"非常用フォルダー/TMP.tmp"));
    EXPECT_EQ(rig.saver.SavedToEmergency().load(), 1);
}

// The disk of the temporary file fills during the call: the recording keeps
// what was written (its header says so), is saved under its own name, and
// the user is told by the disk-full flag.
TEST(SaveRecordingTest, DiskFullDuringTheCallIsToldAndKeepsWhatWasWritten) {
    Rig rig;
    SmallDisk disk(u8"非常用フォルダー", 24);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"0312345678", true, false}, "", false, 10), SaveOutcome::Saved);
    EXPECT_TRUE(rig.writer.WriteFailed());
    std::vector<uint8_t> saved = suite_test::ReadAllBytes(u8"通話記録/2026年12月/[着信]07日14時05分33秒-0312345678-.wav");
    ASSERT_GT(saved.size(), 44u);
    EXPECT_LT(saved.size(), 80044u);
    uint32_t riff = saved[4] | saved[5] << 8 | saved[6] << 16 | static_cast<uint32_t>(saved[7]) << 24;
    uint32_t data = saved[40] | saved[41] << 8 | saved[42] << 16 | static_cast<uint32_t>(saved[43]) << 24;
    EXPECT_EQ(data, saved.size() - 44);
    EXPECT_EQ(riff, saved.size() - 8);
    EXPECT_EQ(rig.saver.DiskFull().load(), 1);
    EXPECT_EQ(rig.saver.SavedToEmergency().load(), 0);

    // A recording written whole raises nothing.
    rig.saver.DiskFull().store(0);
    ASSERT_TRUE(DeleteFilePath("通話記録\\2026年12月\\[着信]07日14時05分33秒-0312345678-.wav"));
    ASSERT_EQ(rig.RecordAndSave(CallFacts{"0312345678", true, false}, "", false, 1), SaveOutcome::Saved);
    EXPECT_EQ(rig.saver.DiskFull().load(), 0);
}
