// The player's output device and host over WinMM wave-out: an event set per
// finished block, so the player blocks instead of polling.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "browser/player.h"

namespace suite {

class WaveOutWin32 : public WaveOut {
public:
    WaveOutWin32();
    ~WaveOutWin32() override;
    bool Open(const AudioFormat& format) override;
    bool Queue(int slot, const uint8_t* data, size_t n) override;
    bool Done(int slot) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    void SetVolume(bool full) override;
    void Close() override;
    // Signalled whenever a queued block has finished.
    HANDLE BlockEvent() const { return event_; }

private:
    HWAVEOUT device_ = nullptr;
    HANDLE event_ = nullptr;
    WAVEHDR headers_[2] = {};
    bool prepared_[2] = {false, false};
};

// The browser thread's side of a playback: waits on the device's event and
// the thread's messages, dispatches them, reads the pointer over window.
class PlayerHostWin32 : public PlayerHost {
public:
    PlayerHostWin32(HWND window, const WaveOutWin32& device) : window_(window), device_(device) {}
    bool Wait(uint32_t timeoutMs) override;
    uint32_t Now() override { return timeGetTime(); }
    void Pointer(int* x, int* y) override;
    void Repaint(bool immediately) override;
    void Warn(const char* text, const char* caption) override;

private:
    HWND window_;
    const WaveOutWin32& device_;
};

}  // namespace suite
