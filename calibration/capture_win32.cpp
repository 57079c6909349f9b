#include "capture_win32.h"

#include "wave_format_win32.h"

namespace suite {
namespace {

bool OpenFormat(HWND window, WORD channels, HWAVEIN* device) {
    WAVEFORMATEX format = CaptureFormat(channels);
    return waveInOpen(device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW) ==
           MMSYSERR_NOERROR;
}

}  // namespace

bool WaveCapture::Open(HWND window) {
    Close();
    if (OpenFormat(window, 2, &device_)) {
        stereo_ = true;
        return true;
    }
    device_ = nullptr;
    stereo_ = false;
    if (OpenFormat(window, 1, &device_)) return true;
    device_ = nullptr;
    return false;
}

void WaveCapture::Start() {
    if (!device_) return;
    const size_t samples = static_cast<size_t>(kCalibrationFrames) * (stereo_ ? 2 : 1);
    for (int i = 0; i < kCalibrationBuffers; ++i) {
        data_[i].assign(samples, 0);
        headers_[i] = WAVEHDR{};
        headers_[i].lpData = reinterpret_cast<LPSTR>(data_[i].data());
        headers_[i].dwBufferLength = static_cast<DWORD>(samples * sizeof(int16_t));
        waveInPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
    }
    prepared_ = true;
    waveInReset(device_);
    Sleep(500);
    for (WAVEHDR& h : headers_) waveInAddBuffer(device_, &h, sizeof(WAVEHDR));
    waveInStart(device_);
}

const int16_t* WaveCapture::TakeReported(const WAVEHDR* reported) {
    if (!device_ || !prepared_) return nullptr;
    for (int i = 0; i < kCalibrationBuffers; ++i) {
        if (reported != &headers_[i]) continue;
        if (!closing_) waveInAddBuffer(device_, &headers_[i], sizeof(WAVEHDR));
        return data_[PreviousBuffer(i)].data();
    }
    return nullptr;
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
