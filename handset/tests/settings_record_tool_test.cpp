#include "handset/settings_record_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "common/settings_record.h"
#include "common/tests/test_folder.h"
#include "handset/handset_settings_record.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;

namespace {

int Tool(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
    std::ostringstream o, e;
    int rc = RunSettingsRecordTool(args, o, e);
    if (out) *out = o.str();
    if (err) *err = e.str();
    return rc;
}

template <class Record>
Record Loaded(const std::string& path) {
    std::vector<uint8_t> bytes = ReadAllBytes(path);
    Record r;
    EXPECT_EQ(bytes.size(), Record::kSize);
    std::copy_n(bytes.begin(), std::min(bytes.size(), Record::kSize), r.data());
    return r;
}

}  // namespace

// Fields set by name are where each record's own accessors read them.
TEST(SettingsRecordTool, SetFieldsReadBackThroughTheRecords) {
    TestFolder dir;
    ASSERT_EQ(Tool({"new", "line.ini"}), 0);
    ASSERT_EQ(Tool({"set", "line.ini", "record_folder", "C:\\x", "silence_choice", "3", "folder_list.2", u8"記録3\\",
                    "main_window_text.1", "184", "info_board_rect.1", "384", "byte.7", "165"}),
              0);
    SettingsRecord line = Loaded<SettingsRecord>("line.ini");
    EXPECT_EQ(line.record_folder().Get(), "C:\\x");
    EXPECT_EQ(line.silence_choice(), 3);
    EXPECT_EQ(line.folder_list(2).Get(), "記録3\\");  // Shift-JIS, as the record holds it
    EXPECT_EQ(line.main_window_text(1).Get(), "184");
    EXPECT_EQ(line.info_board_rect(1), 384);
    EXPECT_EQ(line.data()[7], 165);
    std::string out;
    ASSERT_EQ(Tool({"get", "line.ini", "folder_list.2"}, &out), 0);
    EXPECT_EQ(out, u8"記録3\\\n");

    // A shorter text keeps the bytes after its terminator, as the programs
    // store texts; clear zeroes the whole field.
    ASSERT_EQ(Tool({"set", "line.ini", "record_folder", "D:"}), 0);
    line = Loaded<SettingsRecord>("line.ini");
    EXPECT_EQ(line.record_folder().Get(), "D:");
    EXPECT_EQ(line.record_folder().at(3), 'x');
    ASSERT_EQ(Tool({"clear", "line.ini", "record_folder", "silence_choice"}), 0);
    line = Loaded<SettingsRecord>("line.ini");
    for (size_t i = 0; i < line.record_folder().size(); ++i) ASSERT_EQ(line.record_folder().at(i), 0) << i;
    EXPECT_EQ(line.silence_choice(), 0);

    // The handset's folder list sits elsewhere; its size tells the record.
    ASSERT_EQ(Tool({"new", "handset.ini", "--handset"}), 0);
    ASSERT_EQ(Tool({"set", "handset.ini", "folder_list.1", u8"録音2\\"}), 0);
    EXPECT_EQ(Loaded<HandsetSettingsRecord>("handset.ini").folder_list(1).Get(), "録音2\\");
}

// A refused value leaves the whole file as it was, also the pairs before it.
TEST(SettingsRecordTool, RefusesUnknownFieldsAndValuesThatDoNotFit) {
    TestFolder dir;
    ASSERT_EQ(Tool({"new", "s.ini", "--defaults"}), 0);
    const std::vector<uint8_t> before = ReadAllBytes("s.ini");
    std::string fits(259, 'a');
    std::string wide;
    for (int i = 0; i < 130; ++i) wide += u8"年";  // 260 bytes in Shift-JIS
    struct Case {
        std::vector<std::string> pair;
        const char* says;
    } cases[] = {
        {{"no_such_field", "1"}, "has no field \"no_such_field\""},
        {{"folder_list.5", "x"}, "has no field"},
        {{"record_folder", fits + "a"}, "does not fit record_folder: 260 bytes in Shift-JIS, the field holds 259"},
        {{"record_folder", wide}, "does not fit record_folder: 260 bytes"},
        {{"input_device_name", std::string(33, 'd')}, "the field holds 32"},
        {{"silence_choice", "256"}, "takes a number from 0 to 255"},
        {{"record_folder", u8"☃"}, "Shift-JIS cannot hold"},
    };
    for (const Case& c : cases) {
        std::string err;
        std::vector<std::string> args{"set", "s.ini", "warning_volume", "5"};
        args.insert(args.end(), c.pair.begin(), c.pair.end());
        EXPECT_EQ(Tool(args, nullptr, &err), 1) << c.pair[0];
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_EQ(ReadAllBytes("s.ini"), before) << c.pair[0];
    }
    EXPECT_EQ(Tool({"set", "s.ini", "record_folder", fits}), 0) << "259 bytes and the terminator fit";

    // The line recorder's own fields are no handset fields.
    ASSERT_EQ(Tool({"new", "h.ini", "--handset"}), 0);
    std::string err;
    EXPECT_EQ(Tool({"set", "h.ini", "work_folder", "w"}, nullptr, &err), 1);
    EXPECT_NE(err.find("the handset recorder's record has no field \"work_folder\""), std::string::npos) << err;
}
