// The recording player's decisions, free of the platform: gain tables,
// the position bar's seek and marker arithmetic, and the play loop over a
// small output device and host interface (Win32 wave-out in the programs,
// fakes in the tests).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "browser/recording_source.h"

namespace suite {

// The amplify step in force: browser_amplify 0..4 (read as a signed byte),
// anything else 0.
int EffectiveAmplify(int step);
// The label painted for a step: "ＯＦＦ", "　微", "　弱", "　中", "　強".
const char* AmplifyLabel(int step);
// The step after a press of "増幅再生": 0..3 → +1, else 0.
int NextAmplify(int step);

// The four gain tables: g[i] = max(1, trunc(32768 / (K + i))), i 0..32768.
class GainTables {
public:
    GainTables();
    // Amplifies samples in place by step (0 or out of range: unchanged).
    void Apply(int step, int16_t* samples, size_t count) const;

private:
    std::vector<int16_t> tables_[4];
};

// The position bar in client pixels: left L, right R, top T, bottom D.
struct BarGeometry {
    int left, right, top, bottom;
};
BarGeometry BarFor(int clientWidth, int clientHeight);
// Where the thumb rests when nothing plays: trunc(0.028 × client width).
int MarkerRest(int clientWidth);

// Data byte position of a click at x on the bar (L ≤ x ≤ R), even; 0 for a
// bar of zero width.
uint64_t SeekPosition(uint64_t dataBytes, const BarGeometry& bar, int x);
// The thumb's x: start x0 (pixels from L) plus the pixels elapsed at the
// source's length, clamped to R − L and never left of last. L when the
// recording or the bar is too short for the arithmetic.
int MarkerPosition(double x0, uint32_t elapsedMs, uint32_t lengthMs, const BarGeometry& bar, int last);

// The audio output: two blocks queued at a time.
class WaveOut {
public:
    virtual ~WaveOut() = default;
    virtual bool Open(const AudioFormat& format) = 0;
    // Queues n bytes as block slot (0 or 1); the data stays valid until the
    // block has finished or the device is reset.
    virtual bool Queue(int slot, const uint8_t* data, size_t n) = 0;
    // True when the block in slot has finished playing (or was never queued).
    virtual bool Done(int slot) = 0;
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Discards every queued block at once.
    virtual void Reset() = 0;
    virtual void SetVolume(bool full) = 0;
    virtual void Close() = 0;
};

// What the browser thread gives the player.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    // Blocks until a block finishes, a window message arrives or timeoutMs
    // pass; dispatches the pending messages. False when the quit message came.
    virtual bool Wait(uint32_t timeoutMs) = 0;
    virtual uint32_t Now() = 0;  // milliseconds
    // The pointer's position in client coordinates of the browser window.
    virtual void Pointer(int* x, int* y) = 0;
    virtual void Repaint(bool immediately) = 0;
    // A message box with the warning icon, owned by the browser window.
    virtual void Warn(const char* text, const char* caption) = 0;
};

// The words between the browser window and the player.
struct PlayerWords {
    int32_t playControl = 0;    // 0 run, 1 pause, 2 stop (window)
    int32_t seekClick = 0;      // a left-button press in the client area (window)
    int32_t actionRequest = 0;  // the action button (window)
    int32_t deleteRequest = 0;  // "削除" (window)
    int32_t amplifyStep = 0;    // 0..4, read once per block (window)
    int32_t pausedFlag = 0;     // player
    int32_t positionMarker = 0; // thumb x in client pixels (player)
    int32_t seekMute = 0;       // muted after a seek until unmuteAt (player; outlives a playback)
    uint32_t unmuteAt = 0;      // ms on the host's clock
};

// Plays path from its start until it ends, is stopped or the quit message
// arrives (result 1; every other ending 0). Messages only for a WAV source.
int Play(const std::string& path, const BarGeometry& bar, const GainTables& gains, PlayerWords& words,
         WaveOut& device, PlayerHost& host);

}  // namespace suite
