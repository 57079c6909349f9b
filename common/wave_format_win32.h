// The capture format of the suite: PCM, 8000 samples per second, 16 bits,
// one or two channels.
#pragma once
#include <windows.h>
#include <mmsystem.h>

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

}  // namespace suite
