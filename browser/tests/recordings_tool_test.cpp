#include "browser/recordings_tool.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "browser/tests/ogg_fixture.h"
#include "common/file_layer.h"
#include "common/tests/test_folder.h"

using namespace suite;
using namespace browser_test;
using suite_test::TestFolder;
using suite_test::WriteAllBytes;

namespace {

int RunTool(std::vector<std::string> args, std::string* out, std::string* err = nullptr) {
    std::ostringstream o, e;
    int rc = RunRecordingsTool(args, o, e);
    *out = o.str();
    if (err) *err = e.str();
    return rc;
}

// Lines of the output without their creation times (column 2).
std::vector<std::string> WithoutTimes(const std::string& text, char sep) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t a = line.find(sep), b = line.find(sep, a + 1);
        lines.push_back(line.substr(0, a) + sep + line.substr(b + 1));
    }
    return lines;
}

}  // namespace

TEST(RecordingsTool, ListsWhatTheBrowserShowsWithLengthsAndSizes) {
    TestFolder dir;
    ASSERT_TRUE(CreateFolderPath("通話記録\\old.calls"));
    const std::vector<uint8_t> ogg = EncodeOgg(Tone(87200, 1000), 8000, 1);
    WriteAllBytes(u8"通話記録/a.ogg", ogg);
    WriteAllBytes(u8"通話記録/B.wav", MakeWav(WavFields{}, std::vector<uint8_t>(16000 * 7 + 100)));
    WriteAllBytes(u8"通話記録/memo \"1\".txt", {'x'});
    WriteAllBytes(u8"通話記録/README", {'x'});

    std::string out;
    ASSERT_EQ(RunTool({"list", u8"通話記録", "--format", "csv"}, &out), 0);
    EXPECT_EQ(WithoutTimes(out, ','),
              (std::vector<std::string>{"name,seconds,bytes", "\"B.wav\",7,112144",
                                        "\"a.ogg\",10," + std::to_string(ogg.size()),
                                        "\"memo \"\"1\"\".txt\",0,1", "\"old.calls\",0,0"}));
    ASSERT_EQ(RunTool({"list", u8"通話記録/", "--sort", "2"}, &out), 0);
    EXPECT_EQ(WithoutTimes(out, '\t')[1], "old.calls\t0\t0");
    ASSERT_EQ(RunTool({"list", u8"通話記録", "--format", "json"}, &out), 0);
    EXPECT_NE(out.find("{\"name\": \"memo \\\"1\\\".txt\", \"created\": \""), std::string::npos) << out;
    EXPECT_NE(out.find("\"seconds\": 10, \"bytes\": " + std::to_string(ogg.size()) + ", \"folder\": false}"),
              std::string::npos);
}

TEST(RecordingsTool, OddEntriesAreMeasuredWhereTheyAreOrNamedOnStderr) {
    TestFolder dir;
    ASSERT_TRUE(CreateFolderPath("calls\\x"));
    // A name holding a backslash, beside a folder of the name before it.
    WriteAllBytes("calls/x\\y.wav", MakeWav(WavFields{}, std::vector<uint8_t>(16000 * 13)));
    WriteAllBytes("calls/x/y.wav", MakeWav(WavFields{}, std::vector<uint8_t>(16000 * 3)));
    // "刀" ends in 0x81: with a DEL after it, its bytes are those of the
    // backslash's stand-in, read across a character boundary.
    WriteAllBytes(u8"calls/刀\x7F.wav", MakeWav(WavFields{}, std::vector<uint8_t>(16000 * 5)));
    ASSERT_EQ(mkfifo("calls/pipe.ogg", 0644), 0);
    ASSERT_EQ(symlink("nowhere.ogg", "calls/gone.ogg"), 0);
    // A device is no recording: never read as one (a terminal would block).
    ASSERT_EQ(symlink("/dev/zero", "calls/zero.wav"), 0);
    // A damaged last granule position asks for years.
    std::vector<uint8_t> ogg = EncodeOgg(Tone(80000, 1000), 8000, 1);
    const size_t last = OggPages(ogg).back();
    for (int i = 0; i < 8; ++i) ogg[last + 6 + static_cast<size_t>(i)] = i == 5 ? 0x20 : 0;
    FixOggChecksums(&ogg);
    WriteAllBytes("calls/torn.ogg", ogg);

    std::string out, err;
    ASSERT_EQ(RunTool({"list", "calls"}, &out, &err), 0);
    EXPECT_EQ(WithoutTimes(out, '\t'),
              (std::vector<std::string>{"name\tseconds\tbytes", "pipe.ogg\t0\t0", "torn.ogg\t\t" + std::to_string(ogg.size()),
                                        "x\\y.wav\t13\t208044", "zero.wav\t0\t0", u8"刀\x7F.wav\t5\t80044"}));
    EXPECT_NE(err.find("pipe.ogg"), std::string::npos) << err;
    EXPECT_NE(err.find("gone.ogg"), std::string::npos) << err;
    EXPECT_NE(err.find("cannot read zero.wav"), std::string::npos) << err;
    ASSERT_EQ(RunTool({"list", "calls", "--format", "json"}, &out, &err), 0);
    EXPECT_NE(out.find("\"seconds\": null"), std::string::npos) << out;
}

TEST(RecordingsTool, AFolderThatCanBeReadButNotSearchedIsRefused) {
    TestFolder dir;
    ASSERT_TRUE(CreateFolderPath("locked"));
    WriteAllBytes("locked/a.ogg", {1});
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod("locked", 0444), 0);
    // Permissions bind only a user without root's powers.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
        std::ostringstream o, e;
        const int rc = RunRecordingsTool({"list", "locked"}, o, e);
        _exit(rc == 2 && e.str() == "recordings: cannot read the folder locked\n" ? 0 : 10 + rc);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod("locked", 0755);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10 + the exit code when the folder was not refused";
}

TEST(RecordingsTool, UnreadableFolderAndUsage) {
    TestFolder dir;
    std::string out, err;
    EXPECT_EQ(RunTool({"list", "no/such"}, &out, &err), 2);
    EXPECT_EQ(err, "recordings: cannot read the folder no/such\n");
    EXPECT_EQ(RunTool({"list", ".", "--sort", "5"}, &out), 1);
    EXPECT_EQ(RunTool({"list"}, &out), 1);
    EXPECT_EQ(RunTool({"list", ".", "--format", "xml"}, &out), 1);
}
