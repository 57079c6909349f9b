#include "common/settings_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "common/position_text.h"
#include "common/tests/test_bytes.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::WriteAllBytes;

namespace {

const WorkArea kArea{0, 0, 1024, 768};

// The settings path inside a test folder, and the same path for the test's
// own byte-level reads.
const std::string kPath = "settings.ini";

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n) {
    std::vector<uint8_t> bytes(n);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    return bytes;
}

}  // namespace

TEST(SettingsRecord, OneByteFileBecomesTheDefaults) {
    TestFolder dir;
    WriteAllBytes(kPath, {0x00});
    SettingsRecord r;
    EXPECT_EQ(LoadLineSettings(kPath, kArea, &r), LoadOutcome::OneByte);

    std::vector<uint8_t> file = ReadAllBytes(kPath);
    ASSERT_EQ(file.size(), 3572u);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), r.data()));

    EXPECT_EQ(r.auto_start_level(), 10u);
    EXPECT_EQ(r.browser_flags(), 0);
    EXPECT_EQ(r.start_state(), 1);
    EXPECT_EQ(r.start_place(), 0);
    EXPECT_EQ(r.silence_choice(), 0);
    EXPECT_EQ(r.warning_volume(), 3);
    EXPECT_EQ(r.recording_format(), 2);
    EXPECT_EQ(r.info_board_mode(), 0);
    EXPECT_EQ(r.browser_sort(), 1);
    EXPECT_EQ(r.show_connection_screen(), 1);
    EXPECT_EQ(r.info_board_font(), 8);
    EXPECT_EQ(r.phone_book_font(), 7);
    EXPECT_EQ(r.folder_choice(), 0);
    EXPECT_EQ(r.folder_list(0).Get(), "通話記録\\");
    for (size_t s = 1; s < 5; ++s) EXPECT_EQ(r.folder_list(s).at(0), 0);
    EXPECT_EQ(r.work_folder().Get(), "マニュアル 兼 作業フォルダー");
    EXPECT_EQ(r.file_name_format().Get(), "dd日xx時xx分xx秒");
    EXPECT_EQ(r.incoming_name_format().Get(), "[着信]着信日付-電話番号-電話帳");
    EXPECT_EQ(r.outgoing_name_format().Get(), "[発信]発信日付-電話番号-電話帳");
    EXPECT_EQ(r.folder_name_format().Get(), "yyyy年mm月");
    EXPECT_EQ(r.recording_path().at(0), 0);
    EXPECT_EQ(r.number_output_path().at(0), 0);
    EXPECT_EQ(r.data()[7], 0);
    EXPECT_EQ(r.data()[96], 0);
    EXPECT_EQ(r.data()[97], 0);
}

TEST(SettingsRecord, DefaultPositionsFollowTheWorkArea) {
    struct Case {
        WorkArea area;
        int editor[4], mainWindow[4], board[4], browser[4];
    } cases[] = {
        {{0, 0, 1024, 768}, {122, 254, 780, 260}, {277, 184, 470, 200}, {277, 384, 470, 200}, {202, 284, 620, 210}},
        // A task bar on the left and top: the editor centres on the area,
        // the main window and board use only its right and bottom edges.
        {{100, 40, 1920, 1040}, {620, 410, 780, 260}, {725, 320, 470, 200}, {725, 520, 470, 200}, {650, 420, 620, 210}},
        // Odd sizes divide toward zero.
        {{0, 0, 801, 601}, {10, 170, 780, 260}, {165, 100, 470, 200}, {165, 300, 470, 200}, {90, 200, 620, 210}},
    };
    for (const Case& c : cases) {
        SettingsRecord r;
        r.MakeDefaults(c.area);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(ReadPositionText(r.editor_window_text(i)), c.editor[i]) << i;
            EXPECT_EQ(ReadPositionText(r.main_window_text(i)), c.mainWindow[i]) << i;
            EXPECT_EQ(r.info_board_rect(i), c.board[i]) << i;
            EXPECT_EQ(ReadPositionText(r.browser_window_text(i)), c.browser[i]) << i;
        }
    }
}

// Each text field covers exactly its bytes: a text too long for it fills it
// up to its terminator and leaves every other byte of the record alone.
TEST(SettingsRecord, EveryTextSlotKeepsToItsBytes) {
    SettingsRecord r;
    struct Field {
        TextSlot slot;
        size_t offset, size;
    } fields[] = {
        {r.editor_window_text(0), 14, 5},      {r.editor_window_text(3), 29, 5},
        {r.main_window_text(0), 42, 5},        {r.main_window_text(3), 57, 5},
        {r.browser_window_text(0), 70, 5},     {r.browser_window_text(3), 85, 5},
        {r.recording_path(), 100, 300},        {r.work_folder(), 400, 260},
        {r.input_device_name(), 660, 33},      {r.record_folder(), 700, 260},
        {r.file_name_format(), 960, 260},      {r.incoming_name_format(), 1220, 260},
        {r.outgoing_name_format(), 1480, 260}, {r.folder_name_format(), 1740, 260},
        {r.folder_list(0), 2000, 262},         {r.folder_list(4), 3048, 262},
        {r.number_output_path(), 3310, 260},
    };
    for (const Field& f : fields) {
        std::memset(r.data(), 0xEE, SettingsRecord::kSize);
        f.slot.Set(std::string(400, 'a'));
        for (size_t i = 0; i < SettingsRecord::kSize; ++i) {
            uint8_t want = i < f.offset || i >= f.offset + f.size ? 0xEE : i + 1 < f.offset + f.size ? 'a' : 0;
            ASSERT_EQ(r.data()[i], want) << "field at " << f.offset << ", byte " << i;
        }
    }
    // Past the last folder slot or position there is no field.
    EXPECT_EQ(r.folder_list(5).size(), 0u);
    EXPECT_EQ(r.main_window_text(4).size(), 0u);
}

TEST(SettingsRecord, ShortFilesAreUsedAsReadWithAZeroTail) {
    TestFolder dir;
    std::mt19937 rng(7);
    for (size_t size : {2u, 3u, 693u, 1000u, 3571u}) {
        std::vector<uint8_t> bytes = RandomBytes(rng, size);
        WriteAllBytes(kPath, bytes);
        SettingsRecord r;
        EXPECT_EQ(LoadLineSettings(kPath, kArea, &r), LoadOutcome::Read);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), r.data())) << size;
        for (size_t i = size; i < SettingsRecord::kSize; ++i) ASSERT_EQ(r.data()[i], 0) << size << " at " << i;
        EXPECT_EQ(ReadAllBytes(kPath), bytes) << "loading must not write";
    }
}

TEST(SettingsRecord, LongerFilesGiveOnlyTheFirstBytes) {
    TestFolder dir;
    std::mt19937 rng(8);
    std::vector<uint8_t> bytes = RandomBytes(rng, 5000);
    WriteAllBytes(kPath, bytes);
    SettingsRecord r;
    EXPECT_EQ(LoadLineSettings(kPath, kArea, &r), LoadOutcome::Read);
    EXPECT_TRUE(std::equal(r.data(), r.data() + SettingsRecord::kSize, bytes.begin()));
}

TEST(SettingsRecord, EmptyMissingAndUnopenableFiles) {
    TestFolder dir;
    SettingsRecord r;
    SettingsRecord defaults;
    defaults.MakeDefaults(kArea);
    // A missing file (the user deleted it to reset the settings) comes back
    // as the shipped one-byte file: the load makes and writes the defaults.
    // An empty one (an interrupted write) is taken as deleted; the outcome
    // tells it apart, for the message.
    WriteAllBytes(kPath, {});
    const std::pair<std::string, LoadOutcome> cases[] = {{"new.ini", LoadOutcome::OneByte},
                                                          {kPath, LoadOutcome::Empty}};
    for (const auto& c : cases) {
        r.data()[0] = 55;
        EXPECT_EQ(LoadLineSettings(c.first, kArea, &r), c.second) << c.first;
        std::vector<uint8_t> made = ReadAllBytes(c.first);
        ASSERT_EQ(made.size(), SettingsRecord::kSize) << c.first;
        EXPECT_TRUE(std::equal(made.begin(), made.end(), defaults.data())) << c.first;
        EXPECT_TRUE(std::equal(made.begin(), made.end(), r.data())) << c.first;
    }

    // A missing folder: nothing can be opened and the record is all zero.
    r.data()[0] = 55;
    EXPECT_EQ(LoadLineSettings("no\\folder\\s.ini", kArea, &r), LoadOutcome::Unopenable);
    for (size_t i = 0; i < SettingsRecord::kSize; ++i) ASSERT_EQ(r.data()[i], 0);
}

TEST(SettingsRecord, SaveOnExitWritesOnlyTheFirst693Bytes) {
    TestFolder dir;
    std::mt19937 rng(9);
    std::vector<uint8_t> disk = RandomBytes(rng, SettingsRecord::kSize);
    WriteAllBytes(kPath, disk);

    SettingsRecord r;
    ASSERT_EQ(LoadLineSettings(kPath, kArea, &r), LoadOutcome::Read);
    r.set_auto_start_level(42);
    r.work_folder().Set("作業");
    r.file_name_format().Set("changed in memory");

    // Meanwhile the editor changed the tail on disk.
    disk[693] ^= 0xFF;
    disk[3000] ^= 0xFF;
    disk[3571] ^= 0xFF;
    WriteAllBytes(kPath, disk);

    ASSERT_TRUE(SaveSettingsOnExit(kPath, r));
    std::vector<uint8_t> after = ReadAllBytes(kPath);
    ASSERT_EQ(after.size(), SettingsRecord::kSize);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 693, r.data()));
    EXPECT_TRUE(std::equal(after.begin() + 693, after.end(), disk.begin() + 693));
    EXPECT_EQ(suite_test::U32(after, 0), 42u);
}

TEST(SettingsRecord, SaveOnExitNeverCreatesTheFile) {
    TestFolder dir;
    SettingsRecord r;
    EXPECT_FALSE(SaveSettingsOnExit(kPath, r));
    EXPECT_FALSE(suite_test::Utf8PathExists(kPath));
}

TEST(SettingsRecord, ReservedBytesPassThrough) {
    TestFolder dir;
    std::vector<uint8_t> disk(SettingsRecord::kSize, 0);
    const size_t reserved[] = {7, 91, 93, 96, 97, 98, 99, 693, 699, 3570, 3571};
    for (size_t off : reserved) disk[off] = static_cast<uint8_t>(0xA0 + off % 50);
    WriteAllBytes(kPath, disk);
    SettingsRecord r;
    ASSERT_EQ(LoadLineSettings(kPath, kArea, &r), LoadOutcome::Read);
    r.set_auto_start_level(3);
    r.start_place() = 2;
    ASSERT_TRUE(SaveSettingsOnExit(kPath, r));
    ASSERT_TRUE(WriteSettingsBytes(kPath, r.data(), 0, SettingsRecord::kSize));
    std::vector<uint8_t> after = ReadAllBytes(kPath);
    for (size_t off : reserved) EXPECT_EQ(after[off], disk[off]) << off;
}

TEST(SettingsRecord, PartialWritesTouchOnlyTheirRange) {
    TestFolder dir;
    std::vector<uint8_t> disk(SettingsRecord::kSize, 0x11);
    WriteAllBytes(kPath, disk);
    SettingsRecord r;
    for (size_t i = 0; i < SettingsRecord::kSize; ++i) r.data()[i] = 0x22;
    struct Range {
        size_t offset, length;
    } writes[] = {{34, 3}, {90, 1}, {660, 33}, {4, 4}, {12, 2}, {42, 20}, {37, 4}, {94, 2}};
    for (const Range& w : writes) ASSERT_TRUE(WriteSettingsBytes(kPath, r.data(), w.offset, w.length));
    std::vector<uint8_t> after = ReadAllBytes(kPath);
    ASSERT_EQ(after.size(), SettingsRecord::kSize);
    for (size_t i = 0; i < after.size(); ++i) {
        bool inside = false;
        for (const Range& w : writes) inside = inside || (i >= w.offset && i < w.offset + w.length);
        ASSERT_EQ(after[i], inside ? 0x22 : 0x11) << "byte " << i;
    }
}

TEST(SettingsRecord, RandomFilesNeverReadOrWriteOutsideTheRecord) {
    // Run under the sanitizers: any size, any content.
    TestFolder dir;
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        size_t size = rng() % 8000;
        std::vector<uint8_t> bytes = RandomBytes(rng, size);
        WriteAllBytes(kPath, bytes);
        SettingsRecord r;
        LoadOutcome outcome = LoadLineSettings(kPath, kArea, &r);
        if (size == 0) {
            EXPECT_EQ(outcome, LoadOutcome::Empty);
        }
        // Every text and position read stays inside its slot.
        for (int i = 0; i < 4; ++i) {
            ReadPositionText(r.editor_window_text(i));
            ReadPositionText(r.main_window_text(i));
            ReadPositionText(r.browser_window_text(i));
        }
        for (size_t s = 0; s < 5; ++s) {
            EXPECT_LE(r.folder_list(s).Get().size(), 262u);
        }
        EXPECT_LE(r.number_output_path().Get().size(), 260u);
        if (size >= 2) {
            ASSERT_TRUE(SaveSettingsOnExit(kPath, r));
        }
        std::vector<uint8_t> after = ReadAllBytes(kPath);
        if (size >= 693) {
            EXPECT_EQ(after.size(), size) << "exit save must not truncate";
        }
    }
}
