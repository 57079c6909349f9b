#include "recorder/leftover_recovery.h"

#include <gtest/gtest.h>

#include <cstring>

#include "recorder/tests/fake_clock.h"
#include "common/file_layer.h"
#include "recorder/tests/recording_readback.h"
#include "recorder/recording_writer.h"
#include "common/tests/test_folder.h"
#include "common/text_convert.h"

using namespace suite;
using suite_test::FixedClock;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::U32;
using suite_test::Utf8PathExists;
using suite_test::WriteAllBytes;

namespace {

const char kTempUtf8[] = u8"非常用フォルダー/TMP.tmp";
const char kRecoveredName[] = "非常用フォルダー\\中断された録音（2026年12月07日14時05分33秒に発見）";
const char kRecoveredUtf8[] = u8"非常用フォルダー/中断された録音（2026年12月07日14時05分33秒に発見）";

// A recording cut short: written blocks, never finished, then truncated.
std::vector<uint8_t> CrashedRecording(uint8_t format, int blocks, std::vector<int16_t>* audio) {
    FixedClock clock;
    *audio = suite_test::SpeechLikeSamples(kBlockSamples * blocks);
    {
        RecordingWriter writer(clock);
        writer.Open(format);
        for (int i = 0; i < blocks; ++i) writer.Append(audio->data() + kBlockSamples * i, kBlockSamples);
    }  // the program dies here
    return ReadAllBytes(kTempUtf8);
}

}  // namespace

TEST(RecordingRecovery, TruncatedWavGetsItsHeaderSizesFromTheFile) {
    TestFolder dir;
    FixedClock clock;
    std::vector<int16_t> audio;
    std::vector<uint8_t> bytes = CrashedRecording(0, 3, &audio);
    ASSERT_EQ(bytes.size(), 24044u);
    bytes.resize(44 + 16000 + 1001);  // torn in the middle of a sample
    WriteAllBytes(kTempUtf8, bytes);

    std::string path;
    ASSERT_TRUE(RecoverLeftoverRecording(clock, &path));
    EXPECT_EQ(path, std::string(kRecoveredName) + ".wav");
    EXPECT_FALSE(Utf8PathExists(kTempUtf8));
    std::vector<uint8_t> recovered = ReadAllBytes(std::string(kRecoveredUtf8) + ".wav");
    ASSERT_EQ(recovered.size(), bytes.size());
    EXPECT_EQ(std::string(recovered.begin(), recovered.begin() + 4), "RIFF");
    EXPECT_EQ(U32(recovered, 4), 17000u + 36);
    EXPECT_EQ(U32(recovered, 40), 17000u);
    EXPECT_EQ(0, std::memcmp(recovered.data() + 44, audio.data(), 17000));

    // A leftover with no header at all (a zeroed start) is repaired as well,
    // and the second rescue in the same second gets "(1)".
    std::vector<uint8_t> headerless(44 + 8000, 0);
    std::memcpy(headerless.data() + 44, audio.data(), 8000);
    WriteAllBytes(kTempUtf8, headerless);
    ASSERT_TRUE(RecoverLeftoverRecording(clock, &path));
    EXPECT_EQ(path, std::string(kRecoveredName) + "(1).wav");
    recovered = ReadAllBytes(std::string(kRecoveredUtf8) + "(1).wav");
    ASSERT_EQ(recovered.size(), 8044u);
    EXPECT_EQ(std::string(recovered.begin() + 8, recovered.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(U32(recovered, 40), 8000u);
}

TEST(RecordingRecovery, TruncatedOggKeepsItsAudioUpToTheCut) {
    TestFolder dir;
    FixedClock clock;
    std::vector<int16_t> audio;
    std::vector<uint8_t> bytes = CrashedRecording(2, 12, &audio);
    ASSERT_GT(bytes.size(), 100u);
    bytes.resize(bytes.size() * 2 / 3 + 17);  // torn in the middle of a page
    WriteAllBytes(kTempUtf8, bytes);

    std::string path;
    ASSERT_TRUE(RecoverLeftoverRecording(clock, &path));
    EXPECT_EQ(path, std::string(kRecoveredName) + ".ogg");
    EXPECT_EQ(ReadAllBytes(std::string(kRecoveredUtf8) + ".ogg"), bytes) << "moved, not altered";
    suite_test::VorbisReadback back = suite_test::ReadVorbis(path);
    ASSERT_TRUE(back.opened);
    EXPECT_EQ(back.rate, 8000);
    EXPECT_GT(back.samples.size(), 4000u);
    EXPECT_LT(back.samples.size(), audio.size());
}

// A kill while a save copied to another disk: the partial copy in the
// record folder goes, the whole temporary file is rescued.
TEST(RecordingRecovery, PartialCopyOfAKilledSaveIsRemoved) {
    TestFolder dir;
    FixedClock clock;
    std::vector<int16_t> audio;
    std::vector<uint8_t> bytes = CrashedRecording(2, 3, &audio);
    ASSERT_TRUE(CreateFolderPath("rec"));
    WriteAllBytes("rec/a.ogg.part", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100));
    const std::string note = "rec\\a.ogg.part\nrec\\a.ogg\n";
    WriteAllBytes(std::string(kTempUtf8) + ".move", std::vector<uint8_t>(note.begin(), note.end()));
    std::string path;
    ASSERT_TRUE(RecoverLeftoverRecording(clock, &path));
    EXPECT_FALSE(Utf8PathExists("rec/a.ogg.part"));
    EXPECT_FALSE(Utf8PathExists(std::string(kTempUtf8) + ".move"));
    EXPECT_EQ(ReadAllBytes(std::string(kRecoveredUtf8) + ".ogg"), bytes);
}

TEST(RecordingRecovery, NothingToRecover) {
    TestFolder dir;
    FixedClock clock;
    std::string path = "untouched";
    EXPECT_FALSE(RecoverLeftoverRecording(clock, &path)) << "no folder, no file";
    ASSERT_TRUE(CreateFolderPath(kEmergencyFolder));
    EXPECT_FALSE(RecoverLeftoverRecording(clock, &path)) << "no file";
    WriteAllBytes(kTempUtf8, {});
    EXPECT_FALSE(RecoverLeftoverRecording(clock, &path)) << "an empty file holds no recording";
    EXPECT_EQ(path, "untouched");
}

TEST(RecordingRecovery, JsonReportEscapesThePath) {
    EXPECT_EQ(JsonString(SjisToUtf8("非常用フォルダー\\a\"b.wav")), u8"\"非常用フォルダー\\\\a\\\"b.wav\"");
    EXPECT_EQ(JsonString(SjisToUtf8("ソ\x01")), u8"\"ソ\\u0001\"") << "ソ's second byte is no backslash";
}
