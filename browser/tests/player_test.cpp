#include "browser/player.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "browser/tests/ogg_fixture.h"
#include "common/tests/test_folder.h"

using namespace suite;
using namespace browser_test;
using suite_test::TestFolder;
using suite_test::WriteAllBytes;

namespace {

// A device that plays queued blocks one after the other in real (fake)
// milliseconds and records everything done to it.
struct FakeDevice : WaveOut {
    uint32_t* now;
    uint32_t blockMs = 500;
    struct Block {
        int slot;
        std::vector<uint8_t> bytes;
        uint32_t end;
        bool discarded;
        bool muted;  // queued while the volume was off
    };
    std::vector<Block> blocks;
    std::vector<std::pair<uint32_t, bool>> volume;  // (time, full)
    std::vector<uint32_t> resets;
    bool paused = false, open = false, full = false;
    uint32_t pausedAt = 0, lastEnd = 0;

    explicit FakeDevice(uint32_t* clock) : now(clock) {}
    bool Open(const AudioFormat& f) override {
        blockMs = 1000 * (f.bytesPerSecond / 2) / f.bytesPerSecond;
        return open = true;
    }
    bool Queue(int slot, const uint8_t* data, size_t n) override {
        lastEnd = std::max(lastEnd, *now) + blockMs;
        blocks.push_back(Block{slot, std::vector<uint8_t>(data, data + n), lastEnd, false, !full});
        return true;
    }
    bool Done(int slot) override {
        for (const Block& b : blocks)
            if (b.slot == slot && !b.discarded && (paused || b.end > *now)) return false;
        return true;
    }
    void Pause() override {
        paused = true;
        pausedAt = *now;
    }
    void Restart() override {
        paused = false;
        for (Block& b : blocks)
            if (b.end > pausedAt) b.end += *now - pausedAt;
        lastEnd += *now - pausedAt;
    }
    void Reset() override {
        resets.push_back(*now);
        for (Block& b : blocks)
            if (b.end > *now) b.discarded = true;
        lastEnd = *now;
        paused = false;
    }
    void SetVolume(bool f) override {
        full = f;
        volume.emplace_back(*now, f);
    }
    void Close() override { open = false; }

    // Bytes that reached the speaker, blocks in order.
    std::vector<uint8_t> Heard() const {
        std::vector<uint8_t> all;
        for (const Block& b : blocks)
            if (!b.discarded) all.insert(all.end(), b.bytes.begin(), b.bytes.end());
        return all;
    }
    // Bytes the speaker has sounded by now (no pause, no reset).
    uint64_t PlayedBytes() const {
        uint64_t n = 0;
        for (const Block& b : blocks) {
            const uint32_t begin = b.end - blockMs;
            if (b.discarded || *now <= begin) continue;
            n += *now >= b.end ? b.bytes.size() : b.bytes.size() * (*now - begin) / blockMs;
        }
        return n;
    }
    size_t Discarded() const {
        size_t n = 0;
        for (const Block& b : blocks) n += b.discarded;
        return n;
    }
};

// A host whose clock moves only in its waits; events fire at their times.
struct FakeHost : PlayerHost {
    uint32_t now = 1000;
    FakeDevice* device = nullptr;
    std::multimap<uint32_t, std::function<bool()>> events;  // false: quit
    int pointerX = 0, pointerY = 0;
    std::vector<std::pair<std::string, std::string>> warnings;
    int waits = 0;

    bool Wait(uint32_t timeoutMs) override {
        ++waits;
        uint32_t until = now + timeoutMs;
        for (const auto& b : device->blocks)
            if (!b.discarded && !device->paused && b.end > now) until = std::min(until, b.end);
        if (!events.empty()) until = std::min(until, std::max(now, events.begin()->first));
        now = until;
        bool go = true;
        while (!events.empty() && events.begin()->first <= now) {
            go = events.begin()->second() && go;
            events.erase(events.begin());
        }
        return go;
    }
    uint32_t Now() override { return now; }
    void Pointer(int* x, int* y) override {
        *x = pointerX;
        *y = pointerY;
    }
    void Repaint(bool) override {}
    void Warn(const char* text, const char* caption) override { warnings.emplace_back(text, caption); }
};

struct Rig {
    FakeHost host;
    FakeDevice device{&host.now};
    PlayerWords words;
    BarGeometry bar = BarFor(620, 200);  // L 15, R 483, T 174, D 196
    Rig() { host.device = &device; }
    int Play(const std::string& path) {
        static const GainTables gains;
        return suite::Play(path, bar, gains, words, device, host);
    }
};

// An Ogg Vorbis file with one field of a page changed, checksums mended.
std::vector<uint8_t> OggWith(size_t page, size_t offset, uint64_t value, int bytes, size_t samples = 16000) {
    std::vector<uint8_t> file = EncodeOgg(Tone(samples, 1000), 8000, 1);
    const std::vector<size_t> pages = OggPages(file);
    const size_t at = pages[page < pages.size() ? page : pages.size() - 1] + offset;
    for (int i = 0; i < bytes; ++i) file[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    FixOggChecksums(&file);
    return file;
}
constexpr size_t kLastPage = ~size_t(0);

std::vector<uint8_t> Ramp(size_t samples) {
    std::vector<int16_t> s(samples);
    for (size_t i = 0; i < samples; ++i) s[i] = static_cast<int16_t>(i * 7 % 30000 - 15000);
    return Bytes(s);
}

}  // namespace

TEST(RecordingSource, LengthsOfOggAndWav) {
    TestFolder dir;
    // 10.9 s of Ogg Vorbis at 8000 Hz, named .wav: the content decides.
    WriteAllBytes("call.wav", EncodeOgg(Tone(87200, 1000), 8000, 1));
    RecordingSource ogg;
    SourceError error;
    ASSERT_TRUE(ogg.Open("call.wav", &error));
    EXPECT_EQ(ogg.dataBytes(), 160000u);
    EXPECT_EQ(ogg.lengthMs(), 10900u);
    EXPECT_EQ(LengthQuery("call.wav"), 10u);

    WriteAllBytes("w.wav", MakeWav(WavFields{1, 1, 8000, 16000, 2, 16}, std::vector<uint8_t>(16000 * 7 + 100)));
    RecordingSource wav;
    ASSERT_TRUE(wav.Open("w.wav", &error));
    EXPECT_EQ(wav.lengthMs(), 7000u);
    EXPECT_EQ(LengthQuery("w.wav"), 7u);
    EXPECT_EQ(LengthQuery("missing.ogg"), 0u);

    // Shorter than a second: plays, with no length for the arithmetic.
    WriteAllBytes("short.ogg", EncodeOgg(Tone(4000, 1000), 8000, 1));
    RecordingSource brief;
    ASSERT_TRUE(brief.Open("short.ogg", &error));
    EXPECT_TRUE(brief.playable());
    EXPECT_EQ(brief.dataBytes(), 0u);

    // A damaged last granule position: a length the file's size cannot
    // hold is unknown; the file still plays, without seeking.
    WriteAllBytes("torn.ogg", OggWith(kLastPage, 6, uint64_t(1) << 45, 8, 80000));
    EXPECT_EQ(LengthQuery("torn.ogg"), kUnknownLength);
    RecordingSource torn;
    ASSERT_TRUE(torn.Open("torn.ogg", &error));
    EXPECT_EQ(torn.lengthMs(), 0u);
    EXPECT_EQ(torn.dataBytes(), 0u);
}

TEST(RecordingSource, SetupHeadersTheDecoderCannotUseAreNotPlayed) {
    TestFolder dir;
    // Found by mutation: libvorbis takes these setup headers, and ov_read
    // divides by zero on them unless a seek has failed first.
    for (const char* name : {"setup_fpe_a.ogg", "setup_fpe_b.ogg"}) {
        WriteAllBytes("x.ogg", suite_test::ReadAllBytes(std::string(SUITE_SOURCE_ROOT) + "/browser/tests/data/" + name));
        RecordingSource s;
        SourceError error;
        if (s.Open("x.ogg", &error)) {
            uint8_t buffer[4096];
            EXPECT_EQ(s.Read(buffer, sizeof buffer), 0u) << name << ": decoded before a seek";
        }
        Rig rig;
        EXPECT_EQ(rig.Play("x.ogg"), 0);
        ASSERT_EQ(rig.host.warnings.size(), 1u) << name;
        EXPECT_EQ(rig.host.warnings[0].first, "音声ファイルではありません");
        EXPECT_TRUE(rig.device.blocks.empty());
    }
}

TEST(RecordingSource, RefusesWavHeadersItCannotPlay) {
    TestFolder dir;
    const std::vector<uint8_t> data(16000);
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        SourceError error;
    } cases[] = {
        {"bytes per second 0", MakeWav(WavFields{1, 1, 8000, 0, 2, 16}, data), SourceError::NotAudio},
        {"gigabytes asked", MakeWav(WavFields{1, 1, 0x7FFFFFFF, 0xFFFFFFFE, 2, 16}, data), SourceError::NotAudio},
        {"inconsistent", MakeWav(WavFields{1, 1, 8000, 0x40000000, 2, 16}, data), SourceError::NotAudio},
        {"8-bit", MakeWav(WavFields{1, 1, 8000, 8000, 1, 8}, data), SourceError::NotAudio},
        {"shorter than a header", std::vector<uint8_t>(30, 0), SourceError::NotAudio},
        {"no WAVE tag", std::vector<uint8_t>(100, 0), SourceError::NotAudio},
        {"float", MakeWav(WavFields{3, 1, 8000, 16000, 2, 16}, data), SourceError::NotPcm},
        {"stereo", MakeWav(WavFields{1, 2, 8000, 32000, 4, 16}, data), SourceError::Stereo},
        {"six channels", MakeWav(WavFields{1, 6, 8000, 96000, 12, 16}, data), SourceError::Multichannel},
        // The identification header's rate, at byte 12 of the first packet.
        {"Ogg at 2^32 - 1 Hz", OggWith(0, 28 + 12, 0xFFFFFFFF, 4), SourceError::NotAudio},
        {"Ogg at 2^30 Hz", OggWith(0, 28 + 12, 1u << 30, 4), SourceError::NotAudio},
        {"stereo Ogg", EncodeOgg(Tone(16000, 1000), 8000, 2), SourceError::NotAudio},
    };
    for (const Case& c : cases) {
        WriteAllBytes("x.wav", c.file);
        RecordingSource s;
        SourceError error = SourceError::None;
        EXPECT_FALSE(s.Open("x.wav", &error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
        EXPECT_EQ(LengthQuery("x.wav"), 0u) << c.what;
    }
    RecordingSource s;
    SourceError error;
    EXPECT_FALSE(s.Open("none.wav", &error));
    EXPECT_STREQ(SourceErrorText(error), "音声ファイルが選択されていません。");
    EXPECT_STREQ(SourceErrorCaption(error), "再生エラー");
}

TEST(Player, GainTables) {
    const GainTables gains;
    struct Case {
        int step;
        int16_t in, out;
    } cases[] = {{4, 1000, 21000}, {1, 1000, 3000}, {4, -32768, -32768}, {4, 32767, 32767},
                 {0, 1000, 1000},  {5, 1000, 1000}, {-1, 1000, 1000},   {2, -1, -15}};
    for (const Case& c : cases) {
        int16_t x = c.in;
        gains.Apply(c.step, &x, 1);
        EXPECT_EQ(x, c.out) << c.step << " " << c.in;
    }
    // No sample of any step passes full scale or changes sign.
    for (int step = 1; step <= 4; ++step) {
        for (int v = -32768; v <= 32767; ++v) {
            int16_t x = static_cast<int16_t>(v);
            gains.Apply(step, &x, 1);
            ASSERT_TRUE((v >= 0) == (x >= 0) && std::abs(int(x)) >= std::abs(v)) << step << " " << v;
        }
    }
    EXPECT_STREQ(AmplifyLabel(9), "ＯＦＦ");
    EXPECT_EQ(NextAmplify(4), 0);
}

TEST(Player, SeekAndMarkerArithmetic) {
    const BarGeometry bar = BarFor(620, 200);
    const int width = bar.right - bar.left;
    EXPECT_EQ(SeekPosition(160000, bar, bar.left), 0u);
    EXPECT_EQ(SeekPosition(160000, bar, bar.right), 160000u / width * width);
    EXPECT_EQ(SeekPosition(160000, bar, bar.left + 1) % 2, 0u);
    const BarGeometry flat{10, 10, 0, 5};
    EXPECT_EQ(SeekPosition(160000, flat, 10), 0u);
    EXPECT_EQ(MarkerPosition(0, 5000, 100, bar, 0), bar.left) << "shorter than the bar's width in ms";
    EXPECT_EQ(MarkerPosition(0, 5000, 0, bar, 0), bar.left);
    EXPECT_EQ(MarkerPosition(0, 5000, 10900, flat, 0), flat.left);
    EXPECT_EQ(MarkerPosition(0, 1000, 10900, bar, 0), 1000 / (10900 / width) + bar.left);
    EXPECT_EQ(MarkerPosition(width, 99999, 10900, bar, 0), width) << "clamped to R - L";
    EXPECT_EQ(MarkerPosition(0, 0, 10900, bar, 200), 200) << "never moves back";
}

TEST(Player, QueuedBlocksAreTheSourceAndTheLastOneIsHeard) {
    TestFolder dir;
    const std::vector<uint8_t> data = Ramp(9600);  // 1.2 s
    WriteAllBytes("r.wav", MakeWav(WavFields{}, data));
    Rig rig;
    EXPECT_EQ(rig.Play("r.wav"), 0);
    ASSERT_EQ(rig.device.blocks.size(), 3u);
    std::vector<uint8_t> expected = data;
    expected.resize(3 * 8000, 0);
    EXPECT_EQ(rig.device.Heard(), expected);
    EXPECT_EQ(rig.device.Discarded(), 0u) << "the block with the end of the data was cut off";
    EXPECT_FALSE(rig.device.open);

    // Amplified by step 4, block by block.
    Rig loud;
    loud.words.amplifyStep = 4;
    std::vector<int16_t> in, out;
    for (int i = 0; i < 4000; ++i) {
        in.push_back(static_cast<int16_t>(i % 3 == 0 ? 1000 : i % 3 == 1 ? -1000 : -32768));
        out.push_back(static_cast<int16_t>(i % 3 == 0 ? 21000 : i % 3 == 1 ? -21000 : -32768));
    }
    WriteAllBytes("t.wav", MakeWav(WavFields{}, Bytes(in)));
    EXPECT_EQ(loud.Play("t.wav"), 0);
    ASSERT_EQ(loud.device.blocks.size(), 1u) << "one block fits the recording";
    EXPECT_EQ(loud.device.Heard(), Bytes(out));
}

TEST(Player, PauseStopSeekAndQuit) {
    TestFolder dir;
    const std::vector<uint8_t> data = Ramp(8000 * 10);  // 10 s
    WriteAllBytes("r.wav", MakeWav(WavFields{}, data));

    // Pause at 1.2 s for 3 s: nothing is queued meanwhile, then it goes on.
    Rig pause;
    pause.host.events.emplace(2200, [&] { return pause.words.playControl = 1, true; });
    pause.host.events.emplace(5200, [&] {
        EXPECT_TRUE(pause.device.paused);
        EXPECT_LE(pause.device.blocks.size(), 4u);
        return pause.words.playControl = 0, true;
    });
    EXPECT_EQ(pause.Play("r.wav"), 0);
    EXPECT_EQ(pause.device.Heard(), data);
    EXPECT_GE(pause.host.now, 1000u + 10000 + 3000);

    // Stop at 1.2 s: reset at once.
    Rig stop;
    stop.host.events.emplace(2200, [&] { return stop.words.playControl = 2, true; });
    EXPECT_EQ(stop.Play("r.wav"), 0);
    EXPECT_EQ(stop.device.resets.back(), 2200u);
    EXPECT_GT(stop.device.Discarded(), 0u);

    // A click in the middle of the bar: the next block starts there, muted
    // for 250 ms.
    Rig seek;
    const int mid = (seek.bar.left + seek.bar.right) / 2;
    seek.host.pointerX = mid;
    seek.host.pointerY = (seek.bar.top + seek.bar.bottom) / 2;
    seek.host.events.emplace(1700, [&] { return seek.words.seekClick = 1, true; });
    seek.host.events.emplace(5000, [&] { return seek.words.playControl = 2, true; });
    EXPECT_EQ(seek.Play("r.wav"), 0);
    const uint64_t at = SeekPosition(data.size(), seek.bar, mid);
    const auto& b = seek.device.blocks;
    auto first = std::find_if(b.begin(), b.end(), [](const FakeDevice::Block& x) { return x.muted; });
    ASSERT_NE(first, b.end());
    EXPECT_TRUE(std::equal(first->bytes.begin(), first->bytes.end(), data.begin() + static_cast<long>(at)));
    bool unmuted = false;
    for (auto& v : seek.device.volume) unmuted |= v.second && v.first > 1700 && v.first <= 1700 + 260;
    EXPECT_TRUE(unmuted) << "full volume again about 250 ms after the seek";

    // A click outside the bar is dropped.
    Rig outside;
    outside.host.pointerY = 10;
    outside.host.events.emplace(1700, [&] { return outside.words.seekClick = 1, true; });
    outside.host.events.emplace(3000, [&] { return outside.words.playControl = 2, true; });
    outside.Play("r.wav");
    EXPECT_EQ(outside.words.seekMute, 0);

    // Of a file whose length is unknown, no place on the bar is known: a
    // click on it leaves the playback where it is.
    WriteAllBytes("torn.ogg", OggWith(kLastPage, 6, uint64_t(1) << 45, 8, 80000));
    ASSERT_EQ(LengthQuery("torn.ogg"), kUnknownLength);
    Rig unknown;
    unknown.host.pointerX = mid;
    unknown.host.pointerY = (unknown.bar.top + unknown.bar.bottom) / 2;
    unknown.host.events.emplace(2700, [&] { return unknown.words.seekClick = 1, true; });
    EXPECT_EQ(unknown.Play("torn.ogg"), 0);
    EXPECT_EQ(unknown.device.Discarded(), 0u);
    EXPECT_EQ(unknown.words.seekMute, 0);

    Rig quit;
    quit.host.events.emplace(1300, [] { return false; });
    EXPECT_EQ(quit.Play("r.wav"), 1);
    EXPECT_FALSE(quit.device.open);
}

TEST(Player, TheMarkerRunsHalfASecondAheadOfTheSound) {
    TestFolder dir;
    const std::vector<uint8_t> data = Ramp(8000 * 10);
    WriteAllBytes("r.wav", MakeWav(WavFields{}, data));
    // At every wait: the thumb against what the device has sounded.
    struct MarkerHost : FakeHost {
        const PlayerWords* words = nullptr;
        std::vector<std::pair<int, uint64_t>> seen;  // (marker, bytes sounded)
        bool Wait(uint32_t timeoutMs) override {
            seen.emplace_back(words->positionMarker, device->PlayedBytes());
            return FakeHost::Wait(timeoutMs);
        }
    } host;
    FakeDevice device{&host.now};
    host.device = &device;
    PlayerWords words;
    host.words = &words;
    const BarGeometry bar = BarFor(620, 200);
    static const GainTables gains;
    EXPECT_EQ(Play("r.wav", bar, gains, words, device, host), 0);
    const double width = bar.right - bar.left;
    int checked = 0;
    for (const auto& [marker, played] : host.seen) {
        const double expected = bar.left + width * static_cast<double>(played + 8000) / static_cast<double>(data.size());
        // The thumb stops at R - L, where its edge meets the track's end.
        if (played == 0 || expected > width) continue;
        EXPECT_NEAR(marker, expected, 2.0) << "sounded " << played << " bytes";
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

// A repaint request is input for the window's thread: the next wait
// returns at once, as it does under Windows.
struct PaintingHost : FakeHost {
    bool paintPending = false;
    int repaints = 0;
    bool Wait(uint32_t timeoutMs) override {
        if (!paintPending) return FakeHost::Wait(timeoutMs);
        paintPending = false;
        // A player that keeps asking would spin here forever.
        return ++waits < 100000;
    }
    void Repaint(bool) override {
        paintPending = true;
        ++repaints;
    }
};

TEST(Player, TheThumbIsRepaintedOnlyWhenItMovesSoTheWaitsSleep) {
    TestFolder dir;
    WriteAllBytes("r.wav", MakeWav(WavFields{}, Ramp(8000 * 20)));
    PaintingHost host;
    FakeDevice device{&host.now};
    host.device = &device;
    PlayerWords words;
    const BarGeometry bar = BarFor(620, 200);
    static const GainTables gains;
    EXPECT_EQ(Play("r.wav", bar, gains, words, device, host), 0);
    // At most one repaint per pixel of the bar and a wait per block besides.
    EXPECT_LE(host.repaints, bar.right - bar.left);
    EXPECT_LE(host.waits, 2 * (bar.right - bar.left) + 100);
    EXPECT_GT(host.repaints, (bar.right - bar.left) / 2);
}

TEST(Player, AFileThatShrinksEndsThePlayback) {
    TestFolder dir;
    WriteAllBytes("r.wav", MakeWav(WavFields{}, Ramp(8000 * 10)));
    Rig rig;
    rig.host.events.emplace(1600, [] { return WriteAllBytes("r.wav", MakeWav(WavFields{}, Ramp(100))), true; });
    EXPECT_EQ(rig.Play("r.wav"), 0);
    EXPECT_LT(rig.host.now, 1000u + 4000);
}

TEST(Player, APlayedFileMayBeMovedOrDeletedButNeverEmptied) {
    TestFolder dir;
    const std::vector<uint8_t> data = Ramp(8000 * 3);
    WriteAllBytes("r.wav", MakeWav(WavFields{}, data));
    const std::vector<uint8_t> ogg = EncodeOgg(Tone(24000, 1000), 8000, 1);
    WriteAllBytes("r.ogg", ogg);
    // What the recorder does meanwhile: a create under the played name,
    // the move of a save, the delete of a discarded recording.
    auto recorder = [](const char* name, bool moveAndDelete) {
        File writer;
        EXPECT_FALSE(writer.Open(name, File::Mode::CreateAlways, File::Sharing::WritersExcluded)) << name;
        if (moveAndDelete) {
            EXPECT_TRUE(RenamePath(name, "moved") && DeleteFilePath("moved")) << name;
        }
        return true;
    };
    Rig wav;
    wav.host.events.emplace(1600, [&] { return recorder("r.wav", true); });
    EXPECT_EQ(wav.Play("r.wav"), 0);
    EXPECT_EQ(wav.device.Heard(), data) << "the playback goes on from the open file";
    EXPECT_FALSE(PathExists("r.wav"));
    Rig vorbis;
    vorbis.host.events.emplace(1600, [&] { return recorder("r.ogg", false); });
    EXPECT_EQ(vorbis.Play("r.ogg"), 0);
    EXPECT_GE(vorbis.device.blocks.size(), 6u) << "three seconds played";
    EXPECT_EQ(suite_test::ReadAllBytes("r.ogg"), ogg);
}

TEST(Player, ErrorsOfAWavSourceAreShown) {
    TestFolder dir;
    WriteAllBytes("s.wav", MakeWav(WavFields{1, 2, 8000, 32000, 4, 16}, Ramp(100)));
    Rig rig;
    EXPECT_EQ(rig.Play("s.wav"), 0);
    ASSERT_EQ(rig.host.warnings.size(), 1u);
    EXPECT_EQ(rig.host.warnings[0].first, "このアプリケーションはステレオのwaveファイルには対応していません。");
    EXPECT_TRUE(rig.device.blocks.empty());
}
