#include "recorder/capture_win32.h"

#include <cstring>

#include "common/wave_in_win32.h"

namespace suite {

LineCapture::LineCapture() {
    reported_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

LineCapture::~LineCapture() {
    Shutdown();
    if (reported_) CloseHandle(reported_);
}

bool LineCapture::OpenFormat(WORD channels) { return OpenCapture(deviceNumber_, window_, channels, &device_); }

bool LineCapture::Open(HWND window, UINT device) {
    window_ = window;
    deviceNumber_ = device;
    if (OpenFormat(2)) {
        stereo_ = true;
    } else if (OpenFormat(1)) {
        stereo_ = false;
    } else {
        return false;
    }
    const size_t samples = kBlockSampleCount * (stereo_ ? 2 : 1);
    for (auto& d : data_) d.assign(samples, 0);
    Prepare();
    return true;
}

void LineCapture::Prepare() {
    if (!device_ || prepared_) return;
    PrepareBuffers(device_, headers_, data_, kBuffers);
    prepared_ = true;
}

void LineCapture::Unprepare() {
    if (!device_ || !prepared_) return;
    for (WAVEHDR& h : headers_) waveInUnprepareHeader(device_, &h, sizeof(WAVEHDR));
    prepared_ = false;
}

void LineCapture::Start(DWORD pauseMs) {
    if (!device_) return;
    closing_ = true;
    waveInReset(device_);
    closing_ = false;
    Sleep(pauseMs);
    for (WAVEHDR& h : headers_) waveInAddBuffer(device_, &h, sizeof(WAVEHDR));
    bufferReady_.store(0);
    waveInStart(device_);
}

void LineCapture::OnBufferDone(const WAVEHDR* header) {
    if (!device_ || !prepared_ || closing_) return;
    for (int i = 0; i < kBuffers; ++i) {
        if (header != &headers_[i]) continue;
        lastReported_.store(i + 1);
        bufferReady_.store(i + 1);
        waveInAddBuffer(device_, &headers_[i], sizeof(WAVEHDR));
        SetEvent(reported_);
        return;
    }
}

void LineCapture::CloseDevice() {
    if (!device_) return;
    closing_ = true;
    waveInReset(device_);
    Unprepare();
    waveInClose(device_);
    device_ = nullptr;
    closing_ = false;
}

bool LineCapture::Reopen() {
    if (device_) return true;
    if (data_[0].empty() || !OpenFormat(stereo_ ? 2 : 1)) return false;
    Prepare();
    Start(100);
    return true;
}

void LineCapture::Shutdown() {
    CloseDevice();
    for (auto& d : data_) std::vector<int16_t>().swap(d);
}

bool LineCapture::NextBlock(int16_t* mono4000) {
    int32_t k = 0;
    for (;;) {
        if (stopped_.load()) return false;
        k = bufferReady_.load();
        if (k != 0) break;
        // Set after BufferReady (and by Stop), so no report is missed.
        WaitForSingleObject(reported_, INFINITE);
    }
    // One behind the device: the buffer filled before the one just reported.
    const int consumed = (k == 1 ? kBuffers : k - 1) - 1;
    CopyMono(consumed, mono4000);
    lastTaken_.store(consumed + 1);
    bufferReady_.store(0);
    return true;
}

void LineCapture::CopyMono(int buffer, int16_t* mono4000) const {
    const int16_t* samples = data_[buffer].data();
    if (stereo_) {
        StereoToMono(samples, kBlockSampleCount, mono4000);
    } else {
        std::memcpy(mono4000, samples, kBlockSampleCount * sizeof(int16_t));
    }
}

size_t LineCapture::PendingSamples(int16_t* samples) {
    const int32_t last = lastReported_.load();
    if (!device_ || !prepared_ || last == 0 || data_[last - 1].empty()) return 0;
    size_t count = 0;
    const int32_t before = last == 1 ? kBuffers : last - 1;
    // Reported but not taken yet: the pass was still waiting for it.
    if (bufferReady_.load() != 0 && lastTaken_.load() != before && !data_[before - 1].empty()) {
        CopyMono(before - 1, samples);
        count += kBlockSampleCount;
    }
    if (lastTaken_.load() != last) {
        CopyMono(last - 1, samples + count);
        count += kBlockSampleCount;
    }
    // The buffer after the last reported one was being filled; the reset
    // marks it done with the bytes it holds (its report, posted, is ignored).
    closing_ = true;
    waveInReset(device_);
    const WAVEHDR& partial = headers_[last % kBuffers];
    const size_t frameBytes = stereo_ ? 4 : 2;
    size_t frames = (partial.dwFlags & WHDR_DONE) ? partial.dwBytesRecorded / frameBytes : 0;
    if (frames > kBlockSampleCount) frames = kBlockSampleCount;
    const int16_t* data = data_[last % kBuffers].data();
    if (stereo_) {
        StereoToMono(data, frames, samples + count);
    } else {
        std::memcpy(samples + count, data, frames * sizeof(int16_t));
    }
    return count + frames;
}

void LineCapture::Stop() {
    stopped_.store(true);
    SetEvent(reported_);
}

}  // namespace suite
