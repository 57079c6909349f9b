// Wave-in capture of the line: 8000 samples per second, 16 bits, stereo when
// the device accepts it, else mono; three half-second buffers reported to
// the main window (MM_WIM_DATA). The recording thread takes the blocks
// through BlockSource, one buffer behind the device (the pass counts them).
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "recorder/block_source.h"

namespace suite {

class LineCapture : public BlockSource {
public:
    static constexpr int kBuffers = 3;

    LineCapture();
    ~LineCapture() override;
    LineCapture(const LineCapture&) = delete;
    LineCapture& operator=(const LineCapture&) = delete;

    // Opens device with notifications to window: two channels, else one.
    // Allocates (once) and prepares the three buffers. False when neither
    // format opens.
    bool Open(HWND window, UINT device);
    // Resets the device, waits pauseMs, queues buffers 1, 2, 3, clears
    // BufferReady and starts capture.
    void Start(DWORD pauseMs);
    // MM_WIM_DATA on the user-interface thread: BufferReady = the buffer's
    // number, the buffer goes back into the queue. Foreign headers and
    // buffers handed back while closing are ignored.
    void OnBufferDone(const WAVEHDR* header);
    // Connection fault: reset, unprepare, close; the buffers are kept.
    void CloseDevice();
    // After a fault: the device and format chosen at start-up again, with
    // the buffers prepared and capture started after a 100 ms pause. False
    // when the device does not open.
    bool Reopen();
    // Exit: closes the device and frees the buffers.
    void Shutdown();

    bool IsOpen() const { return device_ != nullptr; }
    bool Stereo() const { return stereo_; }

    // BlockSource, on the recording thread.
    bool NextBlock(int16_t* mono4000) override;
    void Stop() override;
    // The exit save, on the user-interface thread: the buffer reported last
    // (and the one before it when it was not taken yet; they stay intact for
    // a second after their report, while the device fills the others), then
    // the device is reset, which hands back the buffer in progress with what
    // it recorded so far.
    size_t PendingSamples(int16_t* samples) override;

private:
    bool OpenFormat(WORD channels);
    void CopyMono(int buffer, int16_t* mono4000) const;
    void Prepare();
    void Unprepare();

    HWND window_ = nullptr;
    UINT deviceNumber_ = 0;
    HWAVEIN device_ = nullptr;
    bool stereo_ = false;
    bool prepared_ = false;
    bool closing_ = false;   // buffers handed back by a reset stay out of the queue
    WAVEHDR headers_[kBuffers] = {};
    std::vector<int16_t> data_[kBuffers];
    // 0 nothing pending, 1..3 the buffer reported full last.
    std::atomic<int32_t> bufferReady_{0};
    // 1..3: the buffer reported last, and the one NextBlock took last; 0 none.
    std::atomic<int32_t> lastReported_{0};
    std::atomic<int32_t> lastTaken_{0};
    std::atomic<bool> stopped_{false};
    HANDLE reported_ = nullptr;  // auto-reset event: a buffer was reported
};

}  // namespace suite
