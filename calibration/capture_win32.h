// Wave-in capture of the default device for calibration: 8000 Hz 16-bit,
// stereo if the device accepts it, else mono; three 25 ms buffers that
// report to a window (MM_WIM_DATA).
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

#include "calibration/level_calibration.h"

namespace suite {

class WaveCapture : public ReportedBuffers {
public:
    WaveCapture() = default;
    WaveCapture(const WaveCapture&) = delete;
    WaveCapture& operator=(const WaveCapture&) = delete;
    ~WaveCapture() { Close(); }

    // Opens the default device, 2 channels else 1. False when neither works.
    bool Open(HWND window);
    // Prepares the buffers, resets the device, waits 500 ms, queues them and starts.
    void Start();
    // For MM_WIM_DATA: the samples of the reported buffer, or nullptr for a
    // foreign header. Measure them before Requeue hands the buffer back.
    const int16_t* Reported(const void* reported) const override;
    // Queues the reported buffer again (not while closing).
    void Requeue(const void* reported) override;
    bool Stereo() const override { return stereo_; }
    // Resets the device, unprepares and frees the buffers, closes it.
    void Close();

private:
    HWAVEIN device_ = nullptr;
    bool stereo_ = false;
    bool prepared_ = false;
    bool closing_ = false;  // buffers handed back by the reset stay out of the queue
    WAVEHDR headers_[kCalibrationBuffers] = {};
    std::vector<int16_t> data_[kCalibrationBuffers];
};

}  // namespace suite
