#include "recorder/recording_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "recorder/tests/fake_clock.h"
#include "recorder/tests/recording_readback.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::FileSizeLimit;
using suite_test::FixedClock;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::U16;
using suite_test::U32;
using suite_test::Utf8PathExists;

namespace {

const char kTempUtf8[] = u8"非常用フォルダー/TMP.tmp";

// The fields of a mono 8000 Hz 16-bit header that describes dataBytes.
void ExpectWavHeader(const std::vector<uint8_t>& b, uint32_t dataBytes) {
    ASSERT_GE(b.size(), 44u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(U32(b, 4), dataBytes + 36);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(U32(b, 16), 16u);
    EXPECT_EQ(U16(b, 20), 1);
    EXPECT_EQ(U16(b, 22), 1);
    EXPECT_EQ(U32(b, 24), 8000u);
    EXPECT_EQ(U32(b, 28), 16000u);
    EXPECT_EQ(U16(b, 32), 2);
    EXPECT_EQ(U16(b, 34), 16);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(U32(b, 40), dataBytes);
}

std::vector<int16_t> Record(RecordingWriter* writer, uint8_t format, int blocks, unsigned seed = 1) {
    std::vector<int16_t> audio = suite_test::SpeechLikeSamples(kBlockSamples * blocks, seed);
    EXPECT_TRUE(writer->Open(format));
    for (int i = 0; i < blocks; ++i) writer->Append(audio.data() + kBlockSamples * i, kBlockSamples);
    return audio;
}

}  // namespace

TEST(RecordingWriter, WavOfNBlocksHasSizesFromTheBlockCount) {
    TestFolder dir;
    FixedClock clock;
    for (int n : {0, 1, 3}) {
        SCOPED_TRACE(n);
        RecordingWriter writer(clock);
        EXPECT_EQ(writer.RecordedBytes(), 44);
        std::vector<int16_t> audio = Record(&writer, 0, n);
        EXPECT_EQ(writer.RecordedBytes(), 44 + 8000 * n);
        ASSERT_TRUE(writer.Finish());
        EXPECT_EQ(writer.RecordedBytes(), 44 + 8000 * n) << "open until the saving step is done";
        writer.MarkClosed();
        EXPECT_EQ(writer.RecordedBytes(), 44);

        std::vector<uint8_t> bytes = ReadAllBytes(kTempUtf8);
        ASSERT_EQ(bytes.size(), 44u + 8000u * n);
        ExpectWavHeader(bytes, 8000u * n);
        EXPECT_TRUE(std::equal(audio.begin(), audio.end(), reinterpret_cast<const int16_t*>(bytes.data() + 44)))
            << "samples as captured";
    }
}

TEST(RecordingWriter, OggHasHeadersFirstTheCommentAndEndsWithEndOfStream) {
    TestFolder dir;
    FixedClock clock;
    const int blocks = 6;
    long previousBitrate = 1 << 30;
    for (uint8_t format : {1, 2, 3}) {
        SCOPED_TRACE(static_cast<int>(format));
        RecordingWriter writer(clock);
        std::vector<int16_t> audio = Record(&writer, format, blocks);
        EXPECT_EQ(writer.RecordedBytes(), 44 + 8000 * blocks) << "counted as WAV bytes for Ogg too";
        ASSERT_TRUE(writer.Finish());

        std::vector<suite_test::OggPageInfo> pages = suite_test::ReadOggPages(ReadAllBytes(kTempUtf8));
        ASSERT_GE(pages.size(), 4u);
        // The identification header alone on the first page, then comment and
        // codebooks ending exactly on a page: audio starts on a fresh page.
        EXPECT_TRUE(pages[0].bos);
        EXPECT_EQ(pages[0].packetsEnded, 1);
        int headerPackets = 0;
        size_t i = 0;
        for (; i < pages.size() && headerPackets < 3; ++i) {
            EXPECT_EQ(pages[i].granule, 0) << "page " << i << " holds only headers";
            headerPackets += pages[i].packetsEnded;
        }
        EXPECT_EQ(headerPackets, 3) << "no audio packet shares the last header page";
        for (; i < pages.size(); ++i) EXPECT_GT(pages[i].granule, 0) << "audio page " << i;
        for (size_t p = 0; p + 1 < pages.size(); ++p) EXPECT_FALSE(pages[p].eos) << "page " << p;
        EXPECT_TRUE(pages.back().eos);
        EXPECT_EQ(pages.back().granule, blocks * 4000);
        for (const auto& page : pages) EXPECT_EQ(page.serial, writer.SerialNumber());

        suite_test::VorbisReadback back = suite_test::ReadVorbis("非常用フォルダー\\TMP.tmp");
        ASSERT_TRUE(back.opened);
        EXPECT_EQ(back.channels, 1);
        EXPECT_EQ(back.rate, 8000);
        EXPECT_EQ(back.comments, std::vector<std::string>{"ENCODER=encoder_example.c"});
        EXPECT_EQ(back.pcmTotal, blocks * 4000);
        ASSERT_EQ(back.samples.size(), audio.size());
        double in = suite_test::Rms(audio.data(), audio.size());
        double out = suite_test::Rms(back.samples.data(), back.samples.size());
        EXPECT_NEAR(out / in, 1.0, 0.25) << "scaled by 1/32768 and back";
        // Higher quality settings ask for more bits.
        EXPECT_LT(back.nominalBitrate, previousBitrate);
        previousBitrate = back.nominalBitrate;
    }
}

TEST(RecordingWriter, SerialNumberFollowsTheSecondOfTheClock) {
    TestFolder dir;
    FixedClock clock;
    auto serialOfARecording = [&]() {
        RecordingWriter writer(clock);
        Record(&writer, 2, 1);
        writer.Finish();
        std::vector<suite_test::OggPageInfo> pages = suite_test::ReadOggPages(ReadAllBytes(kTempUtf8));
        return pages.empty() ? -1 : pages[0].serial;
    };
    int first = serialOfARecording();
    int second = serialOfARecording();
    EXPECT_EQ(first, second) << "two recordings within the same second";
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 32767);
    clock.seconds += 1;
    int later = serialOfARecording();
    EXPECT_NE(later, first) << "seeded by the clock's second";
    EXPECT_GE(later, 0);
    EXPECT_LE(later, 32767);
}

TEST(RecordingWriter, AbortLeavesNoFileAndTheNextRecordingWorks) {
    TestFolder dir;
    FixedClock clock;
    RecordingWriter writer(clock);
    ASSERT_FALSE(Utf8PathExists(u8"非常用フォルダー")) << "a missing folder is made, not the recording lost";
    for (uint8_t format : {0, 2}) {
        SCOPED_TRACE(static_cast<int>(format));
        Record(&writer, format, 3);
        EXPECT_TRUE(Utf8PathExists(kTempUtf8));
        writer.Abort();
        EXPECT_FALSE(Utf8PathExists(kTempUtf8));
        EXPECT_EQ(writer.RecordedBytes(), 44);
        EXPECT_FALSE(writer.IsOpen());
    }
    Record(&writer, 0, 1);
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(ReadAllBytes(kTempUtf8).size(), 8044u);
}

TEST(RecordingWriter, WithoutATempFileBlocksAreCountedButNothingIsWritten) {
    TestFolder dir;
    FixedClock clock;
    suite_test::WriteAllBytes(u8"非常用フォルダー", {'x'});  // a file where the folder should be
    RecordingWriter writer(clock);
    std::vector<int16_t> audio(kBlockSamples, 100);
    EXPECT_FALSE(writer.Open(0));
    writer.Append(audio.data(), audio.size());
    writer.Append(audio.data(), audio.size());
    EXPECT_EQ(writer.RecordedBytes(), 44 + 16000) << "the recorder's states still advance";
    EXPECT_FALSE(writer.Finish()) << "no file to hand to the saving step";
}

TEST(RecordingWriter, FullDiskKeepsTheWavHeaderTrueAndLaterRecordingsGoOn) {
    TestFolder dir;
    FixedClock clock;
    RecordingWriter writer(clock);
    std::vector<int16_t> audio = suite_test::SpeechLikeSamples(kBlockSamples * 4);
    {
        FileSizeLimit full(44 + 8000 + 3001);  // room for one block and a torn part of the next
        ASSERT_TRUE(writer.Open(0));
        for (int i = 0; i < 4; ++i) writer.Append(audio.data() + kBlockSamples * i, kBlockSamples);
        EXPECT_EQ(writer.RecordedBytes(), 44 + 32000);
        ASSERT_TRUE(writer.Finish());
    }
    EXPECT_TRUE(writer.WriteFailed());
    std::vector<uint8_t> bytes = ReadAllBytes(kTempUtf8);
    ASSERT_EQ(bytes.size(), 44u + 8000 + 3000) << "the torn half sample cut off";
    ExpectWavHeader(bytes, 8000 + 3000);  // every whole sample that reached the disk
    EXPECT_EQ(0, std::memcmp(bytes.data() + 44, audio.data(), 11000));

    // Ogg: nothing is written after the failed page; the file is cut back to
    // whole pages, the last one ends the stream, and the length it tells is
    // what plays. (A later, smaller page must not fill the gap.)
    ASSERT_TRUE(writer.Open(2));
    size_t headers = ReadAllBytes(kTempUtf8).size();
    std::vector<int16_t> talk = suite_test::SpeechLikeSamples(kBlockSamples * 12, 3);
    {
        FileSizeLimit full(headers + 5000);
        for (int i = 0; i < 12; ++i) {
            // Quiet after the first blocks: small pages that would still fit.
            if (i >= 6) std::fill(talk.begin() + kBlockSamples * i, talk.begin() + kBlockSamples * (i + 1), 0);
            writer.Append(talk.data() + kBlockSamples * i, kBlockSamples);
        }
        ASSERT_TRUE(writer.Finish());
    }
    EXPECT_TRUE(writer.WriteFailed());
    bytes = ReadAllBytes(kTempUtf8);
    std::vector<suite_test::OggPageInfo> pages = suite_test::ReadOggPages(bytes);
    ASSERT_GT(pages.size(), 2u);
    size_t whole = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].sequence, static_cast<long>(i)) << "no page missing";
        EXPECT_EQ(pages[i].eos, i + 1 == pages.size()) << "page " << i;
        whole += pages[i].bytes;
    }
    EXPECT_EQ(whole, bytes.size()) << "no torn page";
    suite_test::VorbisReadback partial = suite_test::ReadVorbis("非常用フォルダー\\TMP.tmp");
    ASSERT_TRUE(partial.opened);
    EXPECT_GT(partial.samples.size(), 0u);
    EXPECT_EQ(partial.pcmTotal, pages.back().granule);
    EXPECT_EQ(static_cast<int64_t>(partial.samples.size()), partial.pcmTotal) << "plays to the length it tells";

    // A disk full before any sound: no file is handed on.
    ASSERT_TRUE(writer.Open(2));
    {
        FileSizeLimit full(headers);
        writer.Append(talk.data(), kBlockSamples * 4);
        EXPECT_FALSE(writer.Finish());
    }
    EXPECT_FALSE(Utf8PathExists(kTempUtf8));

    // Space again: the next recording is complete.
    Record(&writer, 0, 2);
    ASSERT_TRUE(writer.Finish());
    EXPECT_FALSE(writer.WriteFailed());
    bytes = ReadAllBytes(kTempUtf8);
    ASSERT_EQ(bytes.size(), 16044u);
    ExpectWavHeader(bytes, 16000);
}
