// Wave-in capture of the suite: PCM, 8000 samples per second, 16 bits, one
// or two channels, buffers reported to a window (MM_WIM_DATA).
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

namespace suite {

inline WAVEFORMATEX CaptureFormat(WORD channels) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = 8000;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(2 * channels);
    format.nAvgBytesPerSec = 8000 * format.nBlockAlign;
    return format;
}

// Opens `device` with `channels`, reporting to `window`; *opened is set
// only on success.
inline bool OpenCapture(UINT device, HWND window, WORD channels, HWAVEIN* opened) {
    WAVEFORMATEX format = CaptureFormat(channels);
    HWAVEIN handle = nullptr;
    if (waveInOpen(&handle, device, &format, reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW) !=
        MMSYSERR_NOERROR) {
        return false;
    }
    *opened = handle;
    return true;
}

// Points each of the `count` headers at its buffer, whole, and prepares it.
inline void PrepareBuffers(HWAVEIN device, WAVEHDR* headers, std::vector<int16_t>* data, int count) {
    for (int i = 0; i < count; ++i) {
        headers[i] = WAVEHDR{};
        headers[i].lpData = reinterpret_cast<LPSTR>(data[i].data());
        headers[i].dwBufferLength = static_cast<DWORD>(data[i].size() * sizeof(int16_t));
        waveInPrepareHeader(device, &headers[i], sizeof(WAVEHDR));
    }
}

}  // namespace suite
