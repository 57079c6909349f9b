// A file in a record folder as the browser measures and plays it: its length,
// then Play from the start to the end over a device that finishes each
// block at once (the player's fake device of the tests, without the
// bookkeeping). Ogg pages keep valid checksums after a mutation, so the
// mutations reach libvorbis rather than stop at libogg's check.
#include <ogg/ogg.h>

#include <cstring>

#include "browser/player.h"
#include "browser/recording_source.h"
#include "tests/fuzz/fuzz_folder.h"

namespace {

const char kPath[] = "recording.ogg";

class InstantDevice : public suite::WaveOut {
public:
    bool Open(const suite::AudioFormat&) override { return true; }
    bool Queue(int, const uint8_t* data, size_t n) override {
        // Touch every byte, as a sound card would read it.
        for (size_t i = 0; i < n; ++i) sum_ += data[i];
        return true;
    }
    bool Done(int) override { return true; }
    void Pause() override {}
    void Restart() override {}
    void Reset() override {}
    void SetVolume(bool) override {}
    void Close() override {}

private:
    uint32_t sum_ = 0;
};

// A host whose clock moves half a second per wait; no message ever comes.
class QuietHost : public suite::PlayerHost {
public:
    bool Wait(uint32_t timeoutMs) override {
        now_ += timeoutMs;
        return ++waits_ < 100000;  // a quit message ends a playback that never would
    }
    uint32_t Now() override { return now_; }
    void Pointer(int* x, int* y) override { *x = *y = 0; }
    void Repaint(bool) override {}
    void Warn(const char*, const char*) override {}

private:
    uint32_t now_ = 1000;
    int waits_ = 0;
};

// Sets the checksum of every whole page, as a writer of damaged files would.
void FixOggChecksums(uint8_t* data, size_t size) {
    for (size_t at = 0; at + 27 <= size;) {
        if (std::memcmp(data + at, "OggS", 4) != 0) {
            ++at;
            continue;
        }
        size_t segments = data[at + 26];
        size_t headerLen = 27 + segments;
        if (at + headerLen > size) break;
        size_t bodyLen = 0;
        for (size_t i = 0; i < segments; ++i) bodyLen += data[at + 27 + i];
        if (at + headerLen + bodyLen > size) break;
        ogg_page page;
        page.header = data + at;
        page.header_len = static_cast<long>(headerLen);
        page.body = data + at + headerLen;
        page.body_len = static_cast<long>(bodyLen);
        ogg_page_checksum_set(&page);
        at += headerLen + bodyLen;
    }
}

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    FixOggChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    suite_fuzz::EnterFuzzFolder();
    suite_fuzz::WriteFile(kPath, data, size);
    suite::LengthQuery(kPath);
    static const suite::GainTables gains;
    suite::PlayerWords words;
    words.amplifyStep = size % 5;
    InstantDevice device;
    QuietHost host;
    suite::Play(kPath, suite::BarFor(620, 200), gains, words, device, host);
    return 0;
}
