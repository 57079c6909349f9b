#include <gtest/gtest.h>

#include <memory>

#include "handset/handset_pass_config.h"
#include "recorder/recording_pass.h"
#include "recorder/tests/fake_clock.h"
#include "recorder/tests/pass_fakes.h"
#include "common/sjis_text.h"
#include "common/tests/test_folder.h"
#include "linesignal/signal_kit.h"

using namespace suite;
using suite_test::AtLevel;

namespace {

// The handset recorder's pass in its own folder, automatic, threshold 10.
struct HandsetRig {
    suite_test::TestFolder dir;
    suite_test::FixedClock clock;
    RecorderShared shared;
    HandsetSettingsRecord record;
    suite_test::FakeField field;
    suite_test::QueueSource source;
    std::unique_ptr<RecordingPass> pass;

    explicit HandsetRig(int folderChoice = 0) {
        record.MakeDefaults(WorkArea{0, 0, 1024, 768});
        record.folder_choice() = static_cast<uint8_t>(folderChoice);
        record.record_folder().Set(record.ChosenFolder());
        record.recording_format() = 0;
        pass = std::make_unique<RecordingPass>(shared, HandsetPassConfig(&record), clock, &field);
        shared.RecorderCommand.store(kCommandAutomatic);
        shared.LevelThreshold.store(10);
        shared.MuteBuffers.store(0);
    }
    PassReport Feed(int level) {
        source.blocks.push_back(AtLevel(level));
        return pass->RunPass(source);
    }
    bool Recording() const { return shared.RecordedBytes.load() > kNoRecordingBytes; }
};

TEST(HandsetPass, ThreeLoudBlocksInARowStartARecording) {
    HandsetRig rig;
    EXPECT_FALSE(rig.Feed(50).opened);
    rig.Feed(50);
    rig.Feed(0);  // a quiet block in between starts the count again
    rig.Feed(50);
    rig.Feed(50);
    EXPECT_FALSE(rig.Recording());
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 0) << "no level shown before the third loud block";
    rig.Feed(50);
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 50);
    EXPECT_TRUE(rig.Feed(0).opened) << "the third loud block decides, the next opens";

    // While recording every loud block counts at once, quiet ones do not end it.
    rig.Feed(0);
    EXPECT_TRUE(rig.Recording());
    rig.Feed(50);
    EXPECT_EQ(rig.shared.CurrentLevel.load(), 50);
}

TEST(HandsetPass, NamedByDateAndTimeWithTheFieldShowingRecordingThenTheName) {
    HandsetRig rig(200);  // a folder_choice past the five slots acts as 0
    rig.field.text = "前の録音.ogg";
    for (int i = 0; i < 3; ++i) rig.Feed(50);
    rig.Feed(50);
    ASSERT_TRUE(rig.Recording());
    EXPECT_EQ(rig.field.text, "") << "cleared when the recording opens";
    rig.pass->MarkRecordingInField();
    EXPECT_EQ(rig.field.text, kRecordingMark);

    // Whatever the field shows, a handset recording is never named by it.
    rig.field.text = "0312345678";
    rig.shared.RecorderCommand.store(kCommandStopAndSave);
    PassReport saved;
    for (int i = 0; i < 4 && !saved.saved; ++i) saved = rig.Feed(0);
    ASSERT_TRUE(saved.saved);
    EXPECT_EQ(saved.savedPath, "通話記録\\2026年12月\\07日14時05分33秒.wav");
    EXPECT_EQ(rig.field.text, "07日14時05分33秒");
    rig.pass->MarkRecordingInField();
    EXPECT_EQ(rig.field.text, "07日14時05分33秒") << "no mark once saved";
}

// No line signals: a dial tone on the first block leaves the call incoming,
// and no caller number is read or given up on ("取得不能").
TEST(HandsetPass, NoLineSignalsSoEveryRecordingIsIncomingWithoutANumber) {
    HandsetRig rig;
    for (int i = 0; i < 3; ++i) rig.Feed(50);
    rig.source.blocks.push_back(suite_test::ToPcm(suite_test::DialTone(500, -18)));
    ASSERT_TRUE(rig.pass->RunPass(rig.source).opened);
    EXPECT_EQ(rig.shared.IncomingCall.load(), 1);
    for (int i = 0; i < 12; ++i) rig.Feed(50);
    EXPECT_EQ(rig.shared.CallNumber.Get(), "");
}

TEST(HandsetPass, DiscardingClearsTheRecordingMark) {
    HandsetRig rig;
    for (int i = 0; i < 4; ++i) rig.Feed(50);
    rig.pass->MarkRecordingInField();
    ASSERT_EQ(rig.field.text, kRecordingMark);
    rig.shared.RecorderCommand.store(kCommandStop);  // "録音中止"
    EXPECT_TRUE(rig.Feed(0).discarded);
    EXPECT_EQ(rig.field.text, "");
}

}  // namespace
