#include "calibration/capture_win32.h"

#include "common/wave_in_win32.h"

namespace suite {

bool WaveCapture::Open(HWND window) {
    Close();
    stereo_ = OpenCapture(WAVE_MAPPER, window, 2, &device_);
    return stereo_ || OpenCapture(WAVE_MAPPER, window, 1, &device_);
}

void WaveCapture::Start() {
    if (!device_) return;
    const size_t samples = static_cast<size_t>(kCalibrationFrames) * (stereo_ ? 2 : 1);
    for (auto& d : data_) d.assign(samples, 0);
    PrepareBuffers(device_, headers_, data_, kCalibrationBuffers);
    prepared_ = true;
    waveInReset(device_);
    Sleep(500);
    for (WAVEHDR& h : headers_) waveInAddBuffer(device_, &h, sizeof(WAVEHDR));
    waveInStart(device_);
}

const int16_t* WaveCapture::Reported(const void* reported) const {
    if (!device_ || !prepared_) return nullptr;
    for (int i = 0; i < kCalibrationBuffers; ++i) {
        if (reported == &headers_[i]) return data_[i].data();
    }
    return nullptr;
}

void WaveCapture::Requeue(const void* reported) {
    if (!device_ || !prepared_ || closing_) return;
    for (WAVEHDR& h : headers_) {
        if (reported == &h) waveInAddBuffer(device_, &h, sizeof(WAVEHDR));
    }
}

void WaveCapture::Close() {
    if (!device_) return;
    closing_ = true;
    waveInReset(device_);
    if (prepared_) {
        for (WAVEHDR& h : headers_) waveInUnprepareHeader(device_, &h, sizeof(WAVEHDR));
        for (auto& d : data_) std::vector<int16_t>().swap(d);
        prepared_ = false;
    }
    waveInClose(device_);
    device_ = nullptr;
    closing_ = false;
}

}  // namespace suite
