#include "browser/recordings_tool.h"

#include <gtest/gtest.h>

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

TEST(RecordingsTool, UnreadableFolderAndUsage) {
    TestFolder dir;
    std::string out, err;
    EXPECT_EQ(RunTool({"list", "no/such"}, &out, &err), 2);
    EXPECT_EQ(err, "recordings: cannot read the folder no/such\n");
    EXPECT_EQ(RunTool({"list", ".", "--sort", "5"}, &out), 1);
    EXPECT_EQ(RunTool({"list"}, &out), 1);
    EXPECT_EQ(RunTool({"list", ".", "--format", "xml"}, &out), 1);
}
