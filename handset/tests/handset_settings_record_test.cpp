#include "handset/handset_settings_record.h"

#include <gtest/gtest.h>

#include "common/position_text.h"
#include "handset/handset_pass_config.h"
#include "common/sjis_text.h"
#include "recorder/tests/fake_clock.h"
#include "common/tests/test_bytes.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::WriteAllBytes;

TEST(HandsetSettingsRecord, OneByteFileBecomesTheDefaults) {
    TestFolder dir;
    WriteAllBytes("h.ini", {0x7F});
    HandsetSettingsRecord r;
    EXPECT_EQ(LoadHandsetSettings("h.ini", WorkArea{100, 40, 1920, 1040}, &r), LoadOutcome::OneByte);
    std::vector<uint8_t> file = ReadAllBytes("h.ini");
    ASSERT_EQ(file.size(), 2790u);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), r.data()));

    EXPECT_EQ(r.auto_start_level(), 10u);
    EXPECT_EQ(r.start_state(), 1);
    EXPECT_EQ(r.data()[7], 1) << "a new handset image holds 1 in its reserved byte 7";
    EXPECT_EQ(r.data()[11], 0);
    EXPECT_EQ(r.warning_volume(), 3);
    EXPECT_EQ(r.recording_format(), 2);
    EXPECT_EQ(r.browser_sort(), 1);
    EXPECT_EQ(r.show_connection_screen(), 1);
    EXPECT_EQ(r.file_name_format().Get(), "dd日xx時xx分xx秒");
    EXPECT_STREQ(reinterpret_cast<const char*>(r.data() + 1220), "yyyy年mm月");
    EXPECT_STREQ(reinterpret_cast<const char*>(r.data() + 1480), "通話記録\\");
    for (size_t i = 400; i < 660; ++i) ASSERT_EQ(r.data()[i], 0) << i;

    // A deleted file (how users reset the settings) makes the same defaults.
    HandsetSettingsRecord fresh;
    EXPECT_EQ(LoadHandsetSettings("deleted.ini", WorkArea{100, 40, 1920, 1040}, &fresh), LoadOutcome::OneByte);
    EXPECT_EQ(ReadAllBytes("deleted.ini"), file);

    // Centred on the work area (1010, 540).
    const int editor[4] = {685, 460, 650, 160};
    const int mainWindow[4] = {775, 440, 470, 200};
    const int browser[4] = {710, 540, 600, 200};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ReadPositionText(r.editor_window_text(i)), editor[i]);
        EXPECT_EQ(ReadPositionText(r.main_window_text(i)), mainWindow[i]);
        EXPECT_EQ(ReadPositionText(r.browser_window_text(i)), browser[i]);
    }
}

TEST(HandsetSettingsRecord, SizeRulesAndExitWrite) {
    TestFolder dir;
    std::vector<uint8_t> disk(3000);
    for (size_t i = 0; i < disk.size(); ++i) disk[i] = static_cast<uint8_t>(i * 7);
    WriteAllBytes("h.ini", disk);
    HandsetSettingsRecord r;
    EXPECT_EQ(LoadHandsetSettings("h.ini", WorkArea{0, 0, 1024, 768}, &r), LoadOutcome::Read);
    EXPECT_TRUE(std::equal(r.data(), r.data() + 2790, disk.begin()));
    EXPECT_EQ(r.data()[11], disk[11]) << "reserved byte 11 passes through";

    r.set_auto_start_level(77);
    ASSERT_TRUE(SaveHandsetSettingsOnExit("h.ini", r));
    std::vector<uint8_t> after = ReadAllBytes("h.ini");
    ASSERT_EQ(after.size(), disk.size());
    EXPECT_EQ(suite_test::U32(after, 0), 77u);
    EXPECT_TRUE(std::equal(after.begin() + 4, after.end(), disk.begin() + 4));

    // An empty file is taken as deleted: the handset's own defaults, written whole.
    WriteAllBytes("empty.ini", {});
    EXPECT_EQ(LoadHandsetSettings("empty.ini", WorkArea{0, 0, 1024, 768}, &r), LoadOutcome::Empty);
    HandsetSettingsRecord defaults;
    defaults.MakeDefaults(WorkArea{0, 0, 1024, 768});
    std::vector<uint8_t> made = ReadAllBytes("empty.ini");
    ASSERT_EQ(made.size(), 2790u);
    EXPECT_TRUE(std::equal(made.begin(), made.end(), defaults.data()));
}

TEST(HandsetSettingsRecord, RecordingsAreNamedByTheFileFormatOnly) {
    TestFolder dir;
    suite_test::FixedClock clock;
    RecordingWriter writer{clock};
    class Field : public NumberField {
    public:
        std::string text = "録音中";
        std::string Text() const override { return text; }
        void Show(const std::string& t) override { text = t; }
    } field;
    RecordingSaver saver{&writer, clock, &field};
    HandsetSettingsRecord handset;
    handset.MakeDefaults(WorkArea{0, 0, 1024, 768});
    handset.record_folder().Set("通話記録\\");
    std::vector<int16_t> block(kBlockSamples, 1000);
    writer.Open(handset.recording_format());
    writer.Append(block.data(), block.size());
    ASSERT_EQ(saver.SaveRecording(HandsetSavingSettings(&handset), CallFacts{}, false), SaveOutcome::Saved);
    EXPECT_TRUE(PathExists("通話記録\\2026年12月\\07日14時05分33秒.ogg"));
    EXPECT_EQ(field.text, "07日14時05分33秒");
    EXPECT_EQ(handset.recording_path().Get(), "通話記録\\2026年12月\\");
}
