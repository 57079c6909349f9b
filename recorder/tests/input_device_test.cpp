#include "recorder/input_device.h"

#include <gtest/gtest.h>

#include <map>

#include "common/settings_record.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::WriteAllBytes;

namespace {

const char kSettings[] = "settings.ini";

// Devices by number; a missing name stands for unreadable capabilities.
// The choice window is played by a script: select an entry, tick the box.
class FakeHost : public InputDeviceHost {
public:
    int count = 0;
    std::map<int, std::string> names;
    bool answerYes = true;
    bool openWorks = true;
    int pick = -1;         // entry the user selects in the window; -1 keeps the preselection
    bool tick = false;     // the user ticks "今後この画面を表示しない時はチェック"

    std::vector<std::string> calls;
    int preselected = -2;
    std::vector<DeviceEntry> listed;
    std::string askedText;
    int openedDevice = -1;
    std::string shownName;

    int DeviceCount() override { return count; }
    bool DeviceName(int device, std::string* name) override {
        auto it = names.find(device);
        if (it == names.end()) return false;
        *name = it->second;
        return true;
    }
    void TellNoDevice() override { calls.push_back("no device"); }
    bool AskChooseOther(const std::string& text) override {
        calls.push_back("ask");
        askedText = text;
        return answerYes;
    }
    void TellCountChanged() override { calls.push_back("count changed"); }
    void RunChoiceWindow(DeviceChoiceList* list) override {
        calls.push_back("window");
        listed = list->Entries();
        preselected = list->Preselect();
        if (pick >= 0) list->Select(pick);
        list->SetCheckBox(tick);
    }
    bool OpenCapture(int device) override {
        calls.push_back("open");
        openedDevice = device;
        return openWorks;
    }
    void TellNoUsableDevice() override { calls.push_back("unusable"); }
    void ShowOpened(const std::string& name) override {
        calls.push_back("shown");
        shownName = name;
    }
};

using Calls = std::vector<std::string>;

struct Fixture {
    TestFolder dir;
    SettingsRecord record;
    FakeHost host;
    std::string name;

    Fixture() {
        record.show_connection_screen() = 1;
        WriteAllBytes(kSettings, std::vector<uint8_t>(SettingsRecord::kSize, 0xEE));
    }
    bool Run() { return OpenInputDevice(&host, &record, &name, kSettings); }
};

}  // namespace

TEST(OpenInputDevice, NoDeviceTellsAndEndsWithoutWriting) {
    Fixture f;
    EXPECT_FALSE(f.Run());
    EXPECT_EQ(f.host.calls, Calls{"no device"});
    EXPECT_EQ(f.record.input_device_count(), 0);
    EXPECT_EQ(ReadAllBytes(kSettings), std::vector<uint8_t>(SettingsRecord::kSize, 0xEE));
}

TEST(OpenInputDevice, SingleDeviceShowsWindowOnlyWithoutAMatchingStoredName) {
    {
        Fixture f;  // stored name is that device: no window even with the screen enabled
        f.host.count = 1;
        f.host.names = {{0, "Mic"}};
        f.name = "Mic";
        f.record.input_device_index() = 5;
        ASSERT_TRUE(f.Run());
        EXPECT_EQ(f.host.calls, (Calls{"open", "shown"}));
        EXPECT_EQ(f.host.openedDevice, 0);
    }
    {
        Fixture f;  // nothing stored: the window, device 0 preselected and stored
        f.host.count = 1;
        f.host.names = {{0, "Mic"}};
        ASSERT_TRUE(f.Run());
        EXPECT_EQ(f.host.calls, (Calls{"window", "open", "shown"}));
        EXPECT_EQ(f.host.preselected, 0);
        EXPECT_EQ(f.name, "Mic");
        EXPECT_EQ(f.host.shownName, "Mic");
    }
}

TEST(OpenInputDevice, MissingStoredDeviceAsksAndYesPreselectsDeviceZero) {
    Fixture f;
    f.host.count = 2;
    f.host.names = {{0, "Line"}, {1, "USB"}};
    f.record.saved_device_count() = 2;
    f.name = "Gone";
    ASSERT_TRUE(f.Run());
    EXPECT_EQ(f.host.calls, (Calls{"ask", "window", "open", "shown"}));
    EXPECT_NE(f.host.askedText.find("音声入力端子 Gone が切断"), std::string::npos);
    EXPECT_EQ(f.host.preselected, 0);
    EXPECT_EQ(f.name, "Line");
    EXPECT_EQ(f.host.openedDevice, 0);

    Fixture no;
    no.host.count = 1;
    no.host.names = {{0, "Line"}};
    no.name = "Gone";
    no.host.answerYes = false;
    EXPECT_FALSE(no.Run());
    EXPECT_EQ(no.host.calls, Calls{"ask"});
    EXPECT_EQ(ReadAllBytes(kSettings), std::vector<uint8_t>(SettingsRecord::kSize, 0xEE));
}

TEST(OpenInputDevice, ChangedDeviceCountTellsThenOpensWindowThoughDevicePresent) {
    Fixture f;
    f.host.count = 3;
    f.host.names = {{0, "Line"}, {1, "USB"}, {2, "New"}};
    f.record.saved_device_count() = 2;
    f.record.show_connection_screen() = 0;
    f.name = "USB";
    ASSERT_TRUE(f.Run());
    EXPECT_EQ(f.host.calls, (Calls{"count changed", "window", "open", "shown"}));
    EXPECT_EQ(f.host.preselected, 1);
    EXPECT_EQ(f.host.openedDevice, 1);
    EXPECT_EQ(f.record.saved_device_count(), 3);
}

TEST(OpenInputDevice, TickedBoxIsStoredAndNextStartOpensNoWindow) {
    Fixture f;
    f.host.count = 2;
    f.host.names = {{0, "Line"}, {1, "USB"}};
    f.record.saved_device_count() = 2;
    f.name = "Line";
    f.host.pick = 1;
    f.host.tick = true;
    ASSERT_TRUE(f.Run());
    EXPECT_EQ(f.host.calls, (Calls{"window", "open", "shown"}));
    EXPECT_EQ(f.record.show_connection_screen(), 0);
    EXPECT_EQ(f.host.openedDevice, 1);
    EXPECT_EQ(f.name, "USB");

    // Second start from what the file now holds.
    std::vector<uint8_t> file = ReadAllBytes(kSettings);
    SettingsRecord again;
    std::copy(file.begin(), file.begin() + SettingsRecord::kSize, again.data());
    FakeHost host;
    host.count = 2;
    host.names = {{0, "Line"}, {1, "USB"}};
    std::string name = again.input_device_name().Get();
    ASSERT_TRUE(OpenInputDevice(&host, &again, &name, kSettings));
    EXPECT_EQ(host.calls, (Calls{"open", "shown"}));
    EXPECT_EQ(host.openedDevice, 1);
}

TEST(OpenInputDevice, StoresOnlyTheThreePartialFieldsEvenWhenOpenFails) {
    Fixture f;
    f.host.count = 2;
    f.host.names = {{0, "Line"}, {1, "USB"}};
    f.record.saved_device_count() = 2;
    f.record.show_connection_screen() = 0;
    f.record.set_auto_start_level(77);  // not stored by this step
    f.name = "USB";
    f.host.openWorks = false;
    EXPECT_FALSE(f.Run());
    EXPECT_EQ(f.host.calls, (Calls{"open", "unusable"}));

    std::vector<uint8_t> file = ReadAllBytes(kSettings);
    ASSERT_EQ(file.size(), SettingsRecord::kSize);
    for (size_t i = 0; i < file.size(); ++i) {
        bool written = (i >= 34 && i < 37) || i == 90 || (i >= 660 && i < 693);
        if (!written) {
            ASSERT_EQ(file[i], 0xEE) << "offset " << i;
        }
    }
    EXPECT_EQ(file[34], 0);  // show_connection_screen
    EXPECT_EQ(file[35], 1);  // input_device_index
    EXPECT_EQ(file[36], 2);  // input_device_count
    EXPECT_EQ(file[90], 2);  // saved_device_count
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&file[660])), "USB");
    EXPECT_EQ(file[692], 0);  // the rest of the name slot is cleared
}

TEST(OpenInputDevice, UnreadableDeviceIsLeftOutAndTheChoiceKeepsItsNumber) {
    Fixture f;
    f.host.count = 3;
    f.host.names = {{0, "Line"}, {2, "USB"}};  // device 1 unreadable
    f.record.saved_device_count() = 3;
    f.host.pick = 1;  // second entry of the list: device 2
    ASSERT_TRUE(f.Run());
    ASSERT_EQ(f.host.listed.size(), 2u);
    EXPECT_EQ(f.host.openedDevice, 2);
    EXPECT_EQ(f.record.input_device_index(), 2);
}

TEST(DeviceChoiceList, PreselectsTheLastOfSeveralMatches) {
    SettingsRecord record;
    std::string name = "Mic";
    DeviceChoiceList list({{0, "Mic"}, {1, "Line"}, {2, "Mic"}}, &record, &name);
    EXPECT_EQ(list.Preselect(), 2);
    EXPECT_EQ(record.input_device_index(), 2);
    list.SetCheckBox(false);
    EXPECT_EQ(record.show_connection_screen(), 1);
    list.Select(7);  // out of range: nothing changes
    EXPECT_EQ(record.input_device_index(), 2);
    EXPECT_EQ(name, "Mic");

    std::string none;
    DeviceChoiceList empty({}, &record, &none);
    EXPECT_EQ(empty.Preselect(), -1);
}

TEST(WriteDeviceChoice, CreatesAMissingFile) {
    TestFolder dir;
    SettingsRecord record;
    record.input_device_count() = 4;
    record.input_device_name().Set("X");
    ASSERT_TRUE(WriteDeviceChoice("new.ini", record));
    std::vector<uint8_t> file = ReadAllBytes("new.ini");
    ASSERT_EQ(file.size(), 693u);
    EXPECT_EQ(file[36], 4);
    EXPECT_EQ(file[660], 'X');
}

namespace {

class FakeLine : public ConnectionLine {
public:
    int count = 1;
    bool opens = true;
    std::vector<std::string> calls;
    int DeviceCount() override { return count; }
    bool Reopen() override {
        calls.push_back("reopen");
        return opens;
    }
    void Close() override { calls.push_back("close"); }
    void StartWarning() override { calls.push_back("warn"); }
    void StopWarning() override { calls.push_back("quiet"); }
};

}  // namespace

TEST(ConnectionCheck, FirstCheckAfterTenTicksThenEveryFour) {
    RecorderShared shared;
    FakeLine line;
    ConnectionCheck check(&line, &shared, 1);
    std::vector<int> checkedAt;
    for (int tick = 1; tick <= 22; ++tick) {
        shared.BuffersSeen.store(1);  // blocks keep coming
        check.Tick();
        if (shared.BuffersSeen.load() == 0) checkedAt.push_back(tick);
    }
    EXPECT_EQ(checkedAt, (std::vector<int>{10, 14, 18, 22}));
    EXPECT_TRUE(line.calls.empty());
    EXPECT_FALSE(check.Fault());
}

TEST(ConnectionCheck, NoBlocksFaultsThenReopensWhenTheCountIsBack) {
    RecorderShared shared;
    FakeLine line;
    ConnectionCheck check(&line, &shared, 2);
    shared.MuteBuffers.store(0);
    for (int i = 0; i < 10; ++i) check.Tick();
    EXPECT_EQ(line.calls, (Calls{"close", "warn"}));
    EXPECT_TRUE(check.Fault());

    // Device still missing: each check retries, nothing else happens.
    line.count = 1;
    for (int i = 0; i < 8; ++i) check.Tick();
    EXPECT_EQ(line.calls.size(), 2u);
    EXPECT_TRUE(check.Fault());

    line.count = 2;
    for (int i = 0; i < 4; ++i) check.Tick();
    EXPECT_EQ(line.calls, (Calls{"close", "warn", "reopen", "quiet"}));
    EXPECT_FALSE(check.Fault());
    EXPECT_EQ(shared.MuteBuffers.load(), 16);
    EXPECT_EQ(check.Countdown(), 12);

    // The re-opened device gets twelve ticks before it must deliver.
    for (int i = 0; i < 11; ++i) check.Tick();
    EXPECT_FALSE(check.Fault());
    check.Tick();
    EXPECT_TRUE(check.Fault());
}

TEST(ConnectionCheck, ReopenThatFailsKeepsTheWarningAndRetries) {
    RecorderShared shared;
    FakeLine line;
    ConnectionCheck check(&line, &shared, 1);
    for (int i = 0; i < 10; ++i) check.Tick();
    ASSERT_TRUE(check.Fault());

    line.opens = false;  // the count is back but the device is not ready yet
    for (int i = 0; i < 4; ++i) check.Tick();
    EXPECT_EQ(line.calls, (Calls{"close", "warn", "reopen"}));
    EXPECT_TRUE(check.Fault());
    EXPECT_EQ(check.Countdown(), 4);

    line.opens = true;
    for (int i = 0; i < 4; ++i) check.Tick();
    EXPECT_EQ(line.calls, (Calls{"close", "warn", "reopen", "reopen", "quiet"}));
    EXPECT_FALSE(check.Fault());
}

TEST(ConnectionCheck, PowerEventDelaysCheckAndMutes) {
    RecorderShared shared;
    FakeLine line;
    ConnectionCheck check(&line, &shared, 1);
    for (int i = 0; i < 9; ++i) check.Tick();
    shared.MuteBuffers.store(0);
    check.PowerEvent();
    EXPECT_EQ(shared.MuteBuffers.load(), 16);
    for (int i = 0; i < 11; ++i) check.Tick();
    EXPECT_TRUE(line.calls.empty());
    check.Tick();
    EXPECT_TRUE(check.Fault());
}

TEST(ConnectionCheck, ShutdownStopsAWarningStillPlaying) {
    RecorderShared shared;
    FakeLine line;
    ConnectionCheck check(&line, &shared, 1);
    check.Shutdown();
    EXPECT_TRUE(line.calls.empty());
    for (int i = 0; i < 10; ++i) check.Tick();
    check.Shutdown();
    EXPECT_EQ(line.calls, (Calls{"close", "warn", "quiet"}));
    EXPECT_FALSE(check.Fault());
}

// A name longer than the 32-byte slot ("マイク (Realtek High Definition
// Audio)", 39 bytes) is stored cut on a character boundary; at the next
// start it still matches, with no question and no window, and the choice
// window preselects it rather than device 0.
TEST(OpenInputDevice, LongDeviceNameMatchesOnTheStoredCut) {
    const std::string longName = "USB";
    const std::string realtek = "マイク (Realtek High Definition Audio)";
    const std::string kanji = "マイク（高品位オーディオ・デバイス入力端子）";  // 44 bytes, cut inside a character at 32
    for (const std::string& chosen : {realtek, kanji}) {
        SCOPED_TRACE(chosen);
        Fixture f;
        f.host.count = 2;
        f.host.names = {{0, longName}, {1, chosen}};
        f.record.saved_device_count() = 2;
        f.record.show_connection_screen() = 0;
        f.host.pick = 1;
        f.host.tick = true;    // no window at every start
        ASSERT_TRUE(f.Run());  // nothing stored yet: the window, entry 1 chosen
        EXPECT_EQ(f.host.openedDevice, 1);
        std::string stored = f.record.input_device_name().Get();
        EXPECT_EQ(stored, StoredDeviceName(chosen));
        EXPECT_LE(stored.size(), 32u);
        EXPECT_EQ(stored, chosen.substr(0, stored.size()));

        // The next start, from the stored name.
        FakeHost host;
        host.count = 2;
        host.names = {{0, longName}, {1, chosen}};
        SettingsRecord again;
        std::copy(f.record.data(), f.record.data() + SettingsRecord::kSize, again.data());
        std::string name = stored;
        ASSERT_TRUE(OpenInputDevice(&host, &again, &name, kSettings));
        EXPECT_EQ(host.calls, (Calls{"open", "shown"})) << "no 接続不良 question";
        EXPECT_EQ(host.openedDevice, 1);

        // With the window asked for at every start, it preselects the device.
        FakeHost shown;
        shown.count = 2;
        shown.names = {{0, longName}, {1, chosen}};
        again.show_connection_screen() = 1;
        name = stored;
        ASSERT_TRUE(OpenInputDevice(&shown, &again, &name, kSettings));
        EXPECT_EQ(shown.preselected, 1);
        EXPECT_EQ(shown.openedDevice, 1);
    }
}
