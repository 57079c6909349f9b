#include "ui/warning_volume.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace suite {
namespace {

// An output device with a record of what was asked of it.
class FakeControls : public OutputVolumeControls {
public:
    struct Volume {
        bool muted;
        float volume;
    };
    std::vector<Volume> streams;
    bool hasEndpoint = true;
    Volume endpoint{false, 0.5f};
    int sleptMs = 0;
    int opened = 0;
    int closed = 0;
    std::vector<std::string> log;

    void SetStreams(std::initializer_list<Volume> list) {
        streams.clear();
        for (const Volume& v : list) streams.push_back(v);
    }

    void Sleep(int ms) override { sleptMs += ms; }
    void Open() override { ++opened; }
    void Close() override { ++closed; }
    int StreamCount() override { return static_cast<int>(streams.size()); }
    bool StreamMuted(int i) override { return streams.at(i).muted; }
    float StreamVolume(int i) override { return streams.at(i).volume; }
    void SetStreamMuted(int i, bool m) override {
        log.push_back("stream mute");
        streams.at(i).muted = m;
    }
    void SetStreamVolume(int i, float v) override {
        log.push_back("stream volume");
        streams.at(i).volume = v;
    }
    bool HasEndpoint() override { return hasEndpoint; }
    bool EndpointMuted() override { return Check().muted; }
    float EndpointVolume() override { return Check().volume; }
    void SetEndpointMuted(bool m) override {
        log.push_back("endpoint mute");
        Check().muted = m;
    }
    void SetEndpointVolume(float v) override {
        log.push_back("endpoint volume");
        Check().volume = v;
    }

private:
    Volume& Check() {
        EXPECT_TRUE(hasEndpoint) << "a missing endpoint was touched";
        return endpoint;
    }
};

TEST(WarningVolume, ScalarForEachSetting) {
    const float expected[] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f};
    for (int setting = 0; setting <= 5; ++setting) EXPECT_EQ(WarningVolumeScalar(setting), expected[setting]);
    EXPECT_EQ(WarningVolumeScalar(6), 1.0f);
    EXPECT_EQ(WarningVolumeScalar(255), 1.0f);
    EXPECT_EQ(WarningVolumeScalar(-1), 1.0f);
}

TEST(WarningVolume, SetsWarningLevelAndRestoresUserLevelEvenWhenMuted) {
    FakeControls device;
    device.SetStreams({{true, 0.3f}});
    device.endpoint = {true, 0.45f};
    WarningVolume warning(device, 3);

    EXPECT_TRUE(warning.Begin());
    EXPECT_GE(device.sleptMs, 200);
    EXPECT_TRUE(warning.Overriding());
    EXPECT_FALSE(device.streams[0].muted);
    EXPECT_EQ(device.streams[0].volume, 1.0f);
    EXPECT_FALSE(device.endpoint.muted);
    EXPECT_EQ(device.endpoint.volume, 0.6f);

    EXPECT_TRUE(warning.End());
    EXPECT_FALSE(warning.Overriding());
    EXPECT_TRUE(device.streams[0].muted);
    EXPECT_EQ(device.streams[0].volume, 0.3f);
    EXPECT_TRUE(device.endpoint.muted);
    EXPECT_EQ(device.endpoint.volume, 0.45f);
    EXPECT_EQ(device.opened, 1);
    EXPECT_EQ(device.closed, 1);
}

TEST(WarningVolume, SettingZeroUnmutesAtVolumeZero) {
    FakeControls device;
    device.endpoint = {true, 0.7f};
    WarningVolume warning(device, 0);
    warning.Begin();
    EXPECT_FALSE(device.endpoint.muted);
    EXPECT_EQ(device.endpoint.volume, 0.0f);
    warning.End();
    EXPECT_TRUE(device.endpoint.muted);
    EXPECT_EQ(device.endpoint.volume, 0.7f);
}

TEST(WarningVolume, EveryOwnStreamIsRaisedAndPutBack) {
    FakeControls device;
    device.SetStreams({{false, 0.1f}, {true, 0.9f}, {false, 0.5f}});
    WarningVolume warning(device, 5);
    warning.Begin();
    for (const auto& s : device.streams) {
        EXPECT_FALSE(s.muted);
        EXPECT_EQ(s.volume, 1.0f);
    }
    warning.End();
    EXPECT_EQ(device.streams[0].volume, 0.1f);
    EXPECT_TRUE(device.streams[1].muted);
    EXPECT_EQ(device.streams[1].volume, 0.9f);
    EXPECT_EQ(device.streams[2].volume, 0.5f);
}

TEST(WarningVolume, NestedBeginsKeepTheFirstSavedValues) {
    FakeControls device;
    device.SetStreams({{false, 0.25f}});
    device.endpoint = {false, 0.3f};
    WarningVolume warning(device, 2);
    EXPECT_TRUE(warning.Begin());  // the warning bar
    // The user turns the device down while the bar is up; a lost connection
    // begins a second warning.
    device.endpoint.volume = 0.1f;
    EXPECT_FALSE(warning.Begin());
    EXPECT_EQ(device.endpoint.volume, 0.4f);  // set again
    EXPECT_EQ(device.opened, 1);

    EXPECT_FALSE(warning.End());  // one warning still sounds
    EXPECT_TRUE(warning.Overriding());
    EXPECT_EQ(device.endpoint.volume, 0.4f);
    EXPECT_EQ(device.closed, 0);

    EXPECT_TRUE(warning.End());
    EXPECT_EQ(device.endpoint.volume, 0.3f);  // the value before the first begin
    EXPECT_EQ(device.streams[0].volume, 0.25f);
    EXPECT_EQ(device.closed, 1);
}

TEST(WarningVolume, EndWithoutBeginTouchesNothing) {
    FakeControls device;
    device.SetStreams({{true, 0.2f}});
    WarningVolume warning(device, 4);
    EXPECT_FALSE(warning.End());
    EXPECT_TRUE(device.log.empty());
    EXPECT_EQ(device.closed, 0);
    // A full round after it still works, and a surplus end is ignored.
    warning.Begin();
    warning.End();
    size_t calls = device.log.size();
    EXPECT_FALSE(warning.End());
    EXPECT_EQ(device.log.size(), calls);
    EXPECT_TRUE(device.streams[0].muted);
}

TEST(WarningVolume, MissingDeviceOrStreamIsLeftAlone) {
    FakeControls device;
    device.hasEndpoint = false;  // Check() fails the test if touched
    WarningVolume warning(device, 5);
    warning.Begin();
    warning.End();
    EXPECT_TRUE(device.log.empty());
    EXPECT_EQ(device.closed, 1);
}

TEST(WarningVolume, EachRoundSavesAfresh) {
    FakeControls device;
    device.endpoint = {false, 0.5f};
    WarningVolume warning(device, 1);
    warning.Begin();
    warning.End();
    device.endpoint = {true, 0.9f};  // the user changed it between warnings
    warning.Begin();
    EXPECT_EQ(device.endpoint.volume, 0.2f);
    warning.End();
    EXPECT_TRUE(device.endpoint.muted);
    EXPECT_EQ(device.endpoint.volume, 0.9f);
}

}  // namespace
}  // namespace suite
