#include "recorder/line_replay.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <regex>

#include "common/file_layer.h"
#include "common/settings_record.h"
#include "phonebook/phone_book.h"
#include "recorder/tests/recording_readback.h"
#include "common/tests/test_bytes.h"
#include "common/tests/test_folder.h"
#include "common/text_convert.h"
#include "linesignal/signal_kit.h"

using namespace suite;
using namespace suite_test;

namespace {

const char kStart[] = "2026-12-07 14:05:00";
const char kDir[] = "line";

std::vector<uint8_t> WavBytes(const std::vector<int16_t>& interleaved, int channels, uint32_t rate = 8000,
                              int bits = 16, int format = 1) {
    uint32_t data = static_cast<uint32_t>(interleaved.size() * 2);
    std::vector<uint8_t> b;
    auto u32 = [&](uint32_t v) { PutU32(&b, b.size(), v); };
    auto u16 = [&](uint32_t v) { PutU16(&b, b.size(), static_cast<uint16_t>(v)); };
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    tag("RIFF");
    u32(36 + data);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(format);
    u16(channels);
    u32(rate);
    u32(rate * channels * bits / 8);
    u16(channels * bits / 8);
    u16(bits);
    tag("data");
    u32(data);
    for (int16_t s : interleaved) u16(static_cast<uint16_t>(s));
    return b;
}

struct Outcome {
    int code;
    std::string out, err;
};

std::string ReadBack(FILE* f) {
    std::rewind(f);
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

Outcome Replay(std::vector<std::string> args) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    int code = RunLineReplay(args, out, err);
    return Outcome{code, ReadBack(out), ReadBack(err)};
}

Outcome ReplaySignal(const Signal& s, const char* mode = "auto") {
    WriteAllBytes("call.wav", WavBytes(ToPcm(s), 1));
    mkdir(kDir, 0700);
    return Replay({"--workdir", kDir, "--start", kStart, "--mode", mode, "call.wav"});
}

struct Saved {
    std::string path, direction, number;
    double start, end;
    long long bytes;
    bool diskFull;
};

std::vector<Saved> Lines(const std::string& out) {
    static const std::regex line(
        R"re(\{"path": "([^"]*)", "direction": "(incoming|outgoing)", "number": "([^"]*)", "start_s": ([0-9.]+), )re"
        R"re("end_s": ([0-9.]+), "bytes": ([0-9]+)(, "disk_full": true)?\})re");
    std::vector<Saved> saved;
    size_t from = 0;
    while (from < out.size()) {
        size_t eol = out.find('\n', from);
        std::string l = out.substr(from, eol - from);
        std::smatch m;
        if (std::regex_match(l, m, line)) {
            saved.push_back(Saved{m[1], m[2], m[3], std::stod(m[4]), std::stod(m[5]), std::stoll(m[6]),
                                   m[7].matched});
        } else {
            ADD_FAILURE() << "not a recording line: " << l;
        }
        if (eol == std::string::npos) break;
        from = eol + 1;
    }
    return saved;
}

// "dd日xx時xx分xx秒" of the start plus whole seconds, as the name formats write it.
std::string NameTime(double secondsAfterStart) {
    std::tm tm = {};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 7;
    tm.tm_hour = 14;
    tm.tm_min = 5;
    tm.tm_sec = static_cast<int>(secondsAfterStart);
    tm.tm_isdst = -1;
    std::mktime(&tm);
    char text[64];
    std::snprintf(text, sizeof text, u8"%02d日%02d時%02d分%02d秒", tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

Signal Speech(double ms) {
    std::vector<int16_t> pcm = SpeechLikeSamples(SamplesFor(ms));
    return Signal(pcm.begin(), pcm.end());
}

// Line quiet over the start-up blocks, a loud half second (ringing), the
// caller number burst in the first recorded block, then talk.
Signal IncomingCall(const std::string& number) {
    Signal s = Silence(8000);
    Append(s, Tone(1000, 500, -10));
    Append(s, Silence(100));
    Append(s, FskBurst(CallerFrame(number)));
    Append(s, Silence(200));
    Append(s, Speech(3000));
    std::mt19937 rng(5);
    AddWhiteNoise(s, 4.0, rng);
    return s;
}

std::string SjisPath(const std::string& utf8) {
    std::string p = Utf8ToSjis(utf8);
    for (char& c : p) {
        if (c == '/') c = '\\';  // never a trail byte
    }
    return p;
}

void ExpectRecordingFile(const Saved& r) {
    std::string path = std::string(kDir) + "/" + r.path;
    ASSERT_TRUE(Utf8PathExists(path)) << path;
    EXPECT_EQ(static_cast<long long>(ReadAllBytes(path).size()), r.bytes);
    VorbisReadback v = ReadVorbis(SjisPath(path));
    ASSERT_TRUE(v.opened);
    EXPECT_EQ(v.rate, 8000);
    EXPECT_EQ(v.channels, 1);
    EXPECT_EQ(v.pcmTotal, static_cast<int64_t>((r.end - r.start) * 8000));
}

}  // namespace

TEST(LineReplayTest, IncomingCallIsNamedByTheCallerNumber) {
    TestFolder dir;
    Outcome o = ReplaySignal(IncomingCall("0312345678"));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.err, "");
    std::vector<Saved> saved = Lines(o.out);
    ASSERT_EQ(saved.size(), 1u) << o.out;
    const Saved& r = saved[0];
    EXPECT_EQ(r.direction, "incoming");
    EXPECT_EQ(r.number, "0312345678");
    EXPECT_EQ(r.start, 8.5);  // the block after the one that decided
    // Saved one block after the last written one, clock at its end.
    EXPECT_EQ(r.path, u8"通話記録/2026年12月/[着信]" + NameTime(r.end + 0.5) + "-0312345678-.ogg");
    // The talk ends near 12.4 s; then nine seconds of silence and the decay.
    EXPECT_GE(r.end, 12.4 + 9 - 0.5);
    EXPECT_LE(r.end, 12.4 + 9 + 1.5);
    ExpectRecordingFile(r);
    // The settings were made with the defaults, as for a new install.
    EXPECT_EQ(ReadAllBytes(std::string(kDir) + u8"/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini").size(),
              3572u);
}

// The default work folder, and one of its own whose last byte has the value
// of "\" ("帳ソ": 92 A0 83 5C).
TEST(LineReplayTest, PhoneBookNameWithABackslashByteSurvivesIntoTheName) {
    for (const char* work : {u8"マニュアル 兼 作業フォルダー", u8"帳ソ"}) {
        SCOPED_TRACE(work);
        TestFolder dir;
        mkdir(kDir, 0700);
        SettingsRecord settings;
        settings.MakeDefaults(WorkArea{0, 0, 1024, 768});
        settings.work_folder().Store(Utf8ToSjis(work));
        mkdir((std::string(kDir) + u8"/マニュアル 兼 作業フォルダー").c_str(), 0700);
        WriteAllBytes(std::string(kDir) + u8"/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini",
                      std::vector<uint8_t>(settings.data(), settings.data() + SettingsRecord::kSize));
        {
            struct Quiet : PhoneBookMessages {
                void NoSpace() override {}
                void AppendWarning(int) override {}
                void CannotOpen(const std::string&) override {}
                void CannotWrite(const std::string&) override {}
                void InUse(const std::string&) override {}
            } messages;
            const std::string folder = "line\\" + Utf8ToSjis(work);
            ASSERT_TRUE(CreateFolderPath(folder));
            PhoneBook book(messages);
            ASSERT_TRUE(book.OpenPhoneBook(folder));
            ASSERT_EQ(book.SaveRecord("0312345678", "ソニー", ""), SaveResult::Saved);
        }
        Outcome o = ReplaySignal(IncomingCall("0312345678"));
        ASSERT_EQ(o.code, 0) << o.err;
        std::vector<Saved> saved = Lines(o.out);
        ASSERT_EQ(saved.size(), 1u) << o.out;
        EXPECT_EQ(saved[0].number, u8"0312345678 ソニー");
        EXPECT_EQ(saved[0].path,
                  u8"通話記録/2026年12月/[着信]" + NameTime(saved[0].end + 0.5) + u8"-0312345678-ソニー.ogg");
        ExpectRecordingFile(saved[0]);
    }
}

TEST(LineReplayTest, OutgoingCallIsNamedByTheDialledNumber) {
    TestFolder dir;
    Signal s = Silence(8000);
    Append(s, DialTone(1330, -18));
    size_t at = SamplesFor(9300);
    for (char k : std::string("0901234567")) {
        MixAt(s, DtmfKey(k, 80, -14, -12), at);
        at += SamplesFor(160);
    }
    s.resize(at + SamplesFor(1000), 0.0);
    Append(s, RingingTone(1000, -18));
    Append(s, Silence(2000));
    std::mt19937 rng(9);
    AddWhiteNoise(s, 4.0, rng);

    Outcome o = ReplaySignal(s);
    ASSERT_EQ(o.code, 0) << o.err;
    std::vector<Saved> saved = Lines(o.out);
    ASSERT_EQ(saved.size(), 1u) << o.out;
    EXPECT_EQ(saved[0].direction, "outgoing");
    EXPECT_EQ(saved[0].number, "0901234567");
    EXPECT_EQ(saved[0].path, u8"通話記録/2026年12月/[発信]" + NameTime(saved[0].end + 0.5) + "-0901234567-.ogg");
    ExpectRecordingFile(saved[0]);
}

TEST(LineReplayTest, ManualRecordsTheWholeInputAfterStartUp) {
    TestFolder dir;
    Outcome o = ReplaySignal(Silence(6000), "manual");
    ASSERT_EQ(o.code, 0) << o.err;
    std::vector<Saved> saved = Lines(o.out);
    ASSERT_EQ(saved.size(), 1u) << o.out;
    EXPECT_EQ(saved[0].start, 1.0);  // the first pass applies the command, the second decides
    EXPECT_EQ(saved[0].end, 6.0);
    EXPECT_EQ(saved[0].number, "");
    EXPECT_EQ(saved[0].path, u8"通話記録/2026年12月/" + NameTime(6.5) + ".ogg");
    ExpectRecordingFile(saved[0]);

    // Nothing loud in automatic mode: nothing saved.
    o = ReplaySignal(Silence(6000));
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out, "");
}

// The disk fills during the call: the recording keeps what was written
// whole and plays to its end, and the tool says so (JSON, stderr, exit code).
TEST(LineReplayTest, FullDiskIsReportedAndWhatIsKeptPlaysToItsEnd) {
    TestFolder dir;
    WriteAllBytes("call.wav", WavBytes(ToPcm(Speech(30000)), 1));
    mkdir(kDir, 0700);
    Outcome o;
    {
        FileSizeLimit full(20000);
        o = Replay({"--workdir", kDir, "--start", kStart, "--mode", "manual", "call.wav"});
    }
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find(u8"ディスクが満杯"), std::string::npos) << o.err;
    std::vector<Saved> saved = Lines(o.out);
    ASSERT_EQ(saved.size(), 1u) << o.out;
    EXPECT_TRUE(saved[0].diskFull);
    VorbisReadback v = ReadVorbis(SjisPath(std::string(kDir) + "/" + saved[0].path));
    ASSERT_TRUE(v.opened);
    EXPECT_GT(v.pcmTotal, 0);
    EXPECT_LT(v.pcmTotal, static_cast<int64_t>((saved[0].end - saved[0].start) * 8000));
    EXPECT_EQ(static_cast<int64_t>(v.samples.size()), v.pcmTotal);

    // Room again: a whole recording says nothing of the kind.
    o = ReplaySignal(Speech(3000), "manual");
    EXPECT_EQ(o.code, 0) << o.err;
    saved = Lines(o.out);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_FALSE(saved[0].diskFull);
}

TEST(LineReplayTest, NoRecordFolderLeftFilesCallsInTheDefaultOne) {
    // The editor's last record folder deleted: every slot empty.
    TestFolder dir;
    SettingsRecord settings;
    settings.MakeDefaults(WorkArea{0, 0, 1024, 768});
    settings.folder_list(0).Clear();
    mkdir(kDir, 0700);
    mkdir((std::string(kDir) + u8"/マニュアル 兼 作業フォルダー").c_str(), 0700);
    WriteAllBytes(std::string(kDir) + u8"/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini",
                  std::vector<uint8_t>(settings.data(), settings.data() + SettingsRecord::kSize));
    Outcome o = ReplaySignal(Silence(6000), "manual");
    ASSERT_EQ(o.code, 0) << o.err;
    std::vector<Saved> saved = Lines(o.out);
    ASSERT_EQ(saved.size(), 1u) << o.out;
    EXPECT_EQ(saved[0].path, u8"通話記録/2026年12月/" + NameTime(6.5) + ".ogg");
    ExpectRecordingFile(saved[0]);
}

TEST(LineReplayTest, StereoInputUsesTheLeftChannel) {
    TestFolder dir;
    mkdir(kDir, 0700);
    std::vector<int16_t> call = ToPcm(IncomingCall("0312345678"));
    for (bool left : {true, false}) {
        std::vector<int16_t> stereo;
        for (int16_t v : call) {
            stereo.push_back(left ? v : 0);
            stereo.push_back(left ? 0 : v);
        }
        WriteAllBytes("stereo.wav", WavBytes(stereo, 2));
        Outcome o = Replay({"--workdir", kDir, "--start", kStart, "stereo.wav"});
        ASSERT_EQ(o.code, 0) << o.err;
        std::vector<Saved> saved = Lines(o.out);
        ASSERT_EQ(saved.size(), left ? 1u : 0u) << o.out;
        if (left) {
            EXPECT_EQ(saved[0].number, "0312345678");
        }
    }
}

TEST(LineReplayTest, BadInputIsRefusedWithOneLineAndNothingWritten) {
    TestFolder dir;
    mkdir(kDir, 0700);
    std::vector<int16_t> second(8000, 1000);
    std::vector<uint8_t> truncated = WavBytes(second, 1);
    truncated.resize(44 + 3000);
    std::vector<uint8_t> shortHeader = WavBytes(second, 1);
    shortHeader.resize(30);
    std::vector<uint8_t> oddAlign = WavBytes(second, 1);
    oddAlign[32] = 4;  // block align of stereo in a mono header
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"text", {'h', 'e', 'l', 'l', 'o', '\n'}},
        {"cd", WavBytes(second, 1, 44100)},
        {"eight", WavBytes(second, 1, 8000, 8)},
        {"float", WavBytes(second, 1, 8000, 16, 3)},
        {"three", WavBytes(std::vector<int16_t>(9000, 0), 3)},
        {"truncated", truncated},
        {"short", shortHeader},
        {"align", oddAlign},
        {"empty", {}},
    };
    for (const Case& c : cases) {
        std::string file = std::string(c.name) + ".wav";
        WriteAllBytes(file, c.bytes);
        Outcome o = Replay({"--workdir", kDir, file});
        EXPECT_EQ(o.code, 2) << c.name;
        EXPECT_EQ(o.out, "") << c.name;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << c.name << ": " << o.err;
    }
    for (const char* missing : {"missing.wav", "."}) {
        Outcome o = Replay({"--workdir", kDir, missing});
        EXPECT_EQ(o.code, 2) << missing;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    }
    EXPECT_EQ(Replay({"--mode", "loud", "x.wav"}).code, 2);
    EXPECT_EQ(Replay({"--start", "2026-13-01 00:00:00", "x.wav"}).code, 2);
    EXPECT_EQ(Replay({}).code, 2);
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(kDir, &entries));
    EXPECT_TRUE(entries.empty());
}

TEST(LineReplayTest, LeftoversOfACrashAreRecoveredFirst) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* extension;
    } cases[] = {
        {WavBytes(std::vector<int16_t>(12000, 500), 1), ".wav"},
        {{'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4}, ".ogg"},
    };
    for (Case& c : cases) {
        TestFolder dir;
        ASSERT_TRUE(CreateFolderPath("line\\非常用フォルダー"));
        if (c.bytes.size() > 44) {
            c.bytes.resize(44 + 5001);  // torn mid-sample; the header still claims it all
        }
        WriteAllBytes(u8"line/非常用フォルダー/TMP.tmp", c.bytes);
        Outcome o = ReplaySignal(Silence(2000));
        ASSERT_EQ(o.code, 0) << o.err;
        std::string expected = std::string(u8"{\"recovered\": \"非常用フォルダー/中断された録音（2026年12月07日14時05分00秒に発見）") +
                               c.extension + "\"}\n";
        EXPECT_EQ(o.out, expected);
        EXPECT_FALSE(Utf8PathExists(u8"line/非常用フォルダー/TMP.tmp"));
        std::vector<uint8_t> rescued = ReadAllBytes(
            std::string(u8"line/非常用フォルダー/中断された録音（2026年12月07日14時05分00秒に発見）") + c.extension);
        ASSERT_EQ(rescued.size(), c.bytes.size());
        if (std::string(c.extension) == ".wav") {
            EXPECT_EQ(U32(rescued, 4), 5000u + 36);  // whole samples only
            EXPECT_EQ(U32(rescued, 40), 5000u);
        }
    }
}
