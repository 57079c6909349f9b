#include "browser/player.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace suite {

namespace {

const int kGainK[4] = {8192, 2048, 1024, 512};
const char* const kAmplifyLabels[] = {"ＯＦＦ", "　微", "　弱", "　中", "　強"};

// How long the sound stays muted after a seek, in ms.
constexpr uint32_t kSeekMuteMs = 250;
// Bounds of a wait without a finished block: the marker moves at most one
// pixel per wait, a pause costs nothing.
constexpr uint32_t kMinWaitMs = 10;
constexpr uint32_t kMaxWaitMs = 250;

}  // namespace

int EffectiveAmplify(int step) { return step >= 0 && step <= 4 ? step : 0; }

const char* AmplifyLabel(int step) { return kAmplifyLabels[EffectiveAmplify(step)]; }

int NextAmplify(int step) { return step >= 0 && step < 4 ? step + 1 : 0; }

GainTables::GainTables() {
    for (int s = 0; s < 4; ++s) {
        tables_[s].resize(32769);
        for (int i = 0; i <= 32768; ++i) {
            int g = 32768 / (kGainK[s] + i);
            tables_[s][static_cast<size_t>(i)] = static_cast<int16_t>(g == 0 ? 1 : g);
        }
    }
}

void GainTables::Apply(int step, int16_t* samples, size_t count) const {
    step = EffectiveAmplify(step);
    if (step == 0) return;
    const std::vector<int16_t>& g = tables_[step - 1];
    for (size_t i = 0; i < count; ++i) {
        int x = samples[i];
        // |x| · g[|x|] stays below 32768 by the table's construction.
        samples[i] = static_cast<int16_t>(x * g[static_cast<size_t>(std::abs(x))]);
    }
}

BarGeometry BarFor(int w, int h) {
    return BarGeometry{static_cast<int>(0.025 * w), static_cast<int>(0.78 * w), static_cast<int>(0.87 * h),
                       static_cast<int>(0.98 * h)};
}

int MarkerRest(int clientWidth) { return static_cast<int>(0.028 * clientWidth); }

uint64_t SeekPosition(uint64_t dataBytes, const BarGeometry& bar, int x) {
    const int width = bar.right - bar.left;
    if (width <= 0 || x <= bar.left) return 0;
    const uint64_t p = dataBytes / static_cast<uint64_t>(width) * static_cast<uint64_t>(x - bar.left);
    return p & ~static_cast<uint64_t>(1);
}

int MarkerPosition(double x0, uint32_t elapsedMs, uint32_t lengthMs, const BarGeometry& bar, int last) {
    const int width = bar.right - bar.left;
    if (width <= 0) return bar.left;
    const uint32_t msPerPixel = lengthMs / static_cast<uint32_t>(width);
    if (msPerPixel == 0) return bar.left;
    int64_t m = static_cast<int64_t>(x0) + elapsedMs / msPerPixel + bar.left;
    m = std::min<int64_t>(m, width);
    m = std::max<int64_t>(m, last);
    return static_cast<int>(m);
}

namespace {

// One playback: the state of the loop between its waits.
class Playback {
public:
    Playback(RecordingSource& source, const BarGeometry& bar, const GainTables& gains, PlayerWords& words,
             WaveOut& device, PlayerHost& host)
        : source_(source), bar_(bar), gains_(gains), words_(words), device_(device), host_(host) {
        const AudioFormat& f = source.format();
        blockBytes_ = f.bytesPerSecond / 2;
        blockBytes_ -= blockBytes_ % (f.blockAlign ? f.blockAlign : 2);
        for (auto& b : blocks_) b.assign(blockBytes_ / 2, 0);
    }

    int Run() {
        if (blockBytes_ == 0 || !device_.Open(source_.format())) return 0;
        int result = Loop();
        device_.Reset();
        device_.Close();
        return result;
    }

private:
    // One run of the device from a place in the data; a seek starts another.
    struct Stretch {
        uint64_t position = 0;
        bool queued[2] = {false, false};
        int k = 0;
        bool done = false;
        int last = 0;
        uint32_t start = 0;   // clock at the last block step
        uint32_t played = 0;  // ms played when the pause began
        double x0 = 0;
    };
    static constexpr int kSeekAgain = -1;

    int Loop() {
        Stretch s;
        for (;;) {
            device_.Reset();
            if (!words_.seekMute) device_.SetVolume(true);
            if (!source_.Seek(s.position)) return 0;
            s = Stretch{s.position};
            const int result = PlayStretch(s);
            if (result != kSeekAgain) return result;
        }
    }

    // 0 at the end or when told to stop, 1 when the host gave up waiting,
    // kSeekAgain after a click on the bar moved s.position.
    int PlayStretch(Stretch& s) {
        for (;;) {
            QueueBlocks(s);
            // At the end of the data the last block plays to its end
            // before the device is reset.
            if (!s.queued[s.k]) s.k = 1 - s.k;
            if (!s.queued[s.k]) return 0;

            if (!host_.Wait(WaitMs())) return 1;
            const uint32_t now = host_.Now();
            FollowPause(s, now);
            if (words_.playControl == 2) {
                host_.Repaint(false);
                return 0;
            }
            if (words_.actionRequest || words_.deleteRequest) return 0;
            if (words_.pausedFlag) continue;
            if (TakeSeekClick(s, now)) return kSeekAgain;
            if (words_.seekMute && static_cast<int32_t>(now - words_.unmuteAt) > 0) {
                device_.SetVolume(true);
                words_.seekMute = 0;
            }
            MoveMarker(s, now);
            if (device_.Done(s.k)) s.queued[s.k] = false;
        }
    }

    // Keeps two blocks queued while there is data.
    void QueueBlocks(Stretch& s) {
        while (!s.done && !s.queued[s.k]) {
            // The marker runs half a second ahead of the sound: the data
            // before this block, not the block itself.
            s.start = host_.Now();
            s.x0 = source_.dataBytes() ? static_cast<double>(bar_.right - bar_.left) * s.position /
                                             static_cast<double>(source_.dataBytes())
                                       : 0;
            s.done = Fill(s.k, &s.position);
            device_.Queue(s.k, reinterpret_cast<const uint8_t*>(blocks_[s.k].data()), blockBytes_);
            s.queued[s.k] = true;
            s.k = 1 - s.k;
        }
    }

    void FollowPause(Stretch& s, uint32_t now) {
        if (words_.playControl == 0 && words_.pausedFlag) {
            words_.pausedFlag = 0;
            device_.Restart();
            s.start = now - s.played;
        } else if (words_.playControl == 1 && !words_.pausedFlag) {
            s.played = now - s.start;
            words_.pausedFlag = 1;
            device_.Pause();
        }
    }

    // True when a click on the bar gave a new place (muted a moment).
    bool TakeSeekClick(Stretch& s, uint32_t now) {
        if (!words_.seekClick || s.done) return false;
        words_.seekClick = 0;
        int x = 0, y = 0;
        host_.Pointer(&x, &y);
        // An unknown length (N 0) gives no place to go to.
        if (!source_.dataBytes() || !(bar_.top < y && y < bar_.bottom && bar_.left <= x && x <= bar_.right))
            return false;
        s.position = SeekPosition(source_.dataBytes(), bar_, x);
        device_.SetVolume(false);
        words_.seekMute = 1;
        words_.unmuteAt = now + kSeekMuteMs;
        return true;
    }

    // Only a moved thumb is painted: a repaint request wakes the next wait
    // at once, so one per pass would never let it sleep.
    void MoveMarker(Stretch& s, uint32_t now) {
        s.last = MarkerPosition(s.x0, now - s.start, source_.lengthMs(), bar_, s.last);
        if (s.last != words_.positionMarker) {
            words_.positionMarker = s.last;
            host_.Repaint(false);
        }
    }

    // Reads the next block into slot k, amplified; true at the end of the data.
    bool Fill(int k, uint64_t* position) {
        uint8_t* bytes = reinterpret_cast<uint8_t*>(blocks_[k].data());
        const size_t got = source_.Read(bytes, blockBytes_);
        *position += got;
        const bool end = got < blockBytes_ || source_.AtEnd();
        if (end) std::memset(bytes + got, 0, blockBytes_ - got);
        gains_.Apply(words_.amplifyStep, blocks_[k].data(), blockBytes_ / 2);
        return end;
    }

    // Until the marker may move by a pixel, or the mute after a seek ends.
    uint32_t WaitMs() const {
        const int width = bar_.right - bar_.left;
        uint32_t ms = width > 0 ? source_.lengthMs() / static_cast<uint32_t>(width) : kMaxWaitMs;
        ms = std::min(std::max(ms, kMinWaitMs), kMaxWaitMs);
        if (words_.seekMute) {
            const int32_t left = static_cast<int32_t>(words_.unmuteAt - host_.Now());
            ms = std::min<uint32_t>(ms, left > 0 ? static_cast<uint32_t>(left) + 1 : 1);
        }
        return ms;
    }

    RecordingSource& source_;
    const BarGeometry bar_;
    const GainTables& gains_;
    PlayerWords& words_;
    WaveOut& device_;
    PlayerHost& host_;
    size_t blockBytes_ = 0;             // B: half a second of samples
    std::vector<int16_t> blocks_[2];    // the two output blocks
};

}  // namespace

int Play(const std::string& path, const BarGeometry& bar, const GainTables& gains, PlayerWords& words,
         WaveOut& device, PlayerHost& host) {
    RecordingSource source;
    SourceError error;
    if (!source.Open(path, &error)) {
        if (error != SourceError::None) host.Warn(SourceErrorText(error), SourceErrorCaption(error));
        return 0;
    }
    if (!source.playable()) return 0;
    // A stream the decoder cannot position is one it cannot decode either.
    if (!source.Seek(0)) {
        host.Warn(SourceErrorText(SourceError::NotAudio), SourceErrorCaption(SourceError::NotAudio));
        return 0;
    }
    return Playback(source, bar, gains, words, device, host).Run();
}

}  // namespace suite
