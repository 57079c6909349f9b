// Listens to the default capture device beside the program under test and
// notes when each part of the line's sound reached a Wine program: the GUI
// tests compare a recording's end with the moment the program was asked to
// close, without counting the virtual line's own delay.
//
//   line_tap FILE SECONDS   FILE.raw: 16-bit mono 8000 Hz as captured;
//                           FILE.times: a line per buffer handed back,
//                           "samples_so_far unix_seconds"
// Ends after SECONDS, or as soon as FILE.stop exists.
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "common/wave_in_win32.h"
#include "tests/gui/wall_clock.h"

namespace {

constexpr int kBufferSamples = 160;  // 20 ms: the arrival times' resolution
constexpr int kBuffers = 50;

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 3) {
        std::fprintf(stderr, "usage: line_tap FILE SECONDS\n");
        return 2;
    }
    const std::wstring base = argv[1];
    const double seconds = std::wcstod(argv[2], nullptr);
    FILE* raw = _wfopen((base + L".raw").c_str(), L"wb");
    FILE* times = _wfopen((base + L".times").c_str(), L"w");
    if (!raw || !times) {
        std::fprintf(stderr, "line_tap: cannot write its files\n");
        return 1;
    }
    const std::wstring stop = base + L".stop";

    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format = suite::CaptureFormat(1);
    HWAVEIN device = nullptr;
    if (waveInOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        std::fprintf(stderr, "line_tap: no capture device\n");
        return 1;
    }
    std::vector<int16_t> data[kBuffers];
    for (auto& d : data) d.resize(kBufferSamples);
    WAVEHDR headers[kBuffers];
    suite::PrepareBuffers(device, headers, data, kBuffers);
    for (auto& h : headers) waveInAddBuffer(device, &h, sizeof(WAVEHDR));
    waveInStart(device);

    long long total = 0;
    int next = 0;
    const double end = UnixSeconds() + seconds;
    while (UnixSeconds() < end && GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES) {
        WaitForSingleObject(event, 50);
        while (headers[next].dwFlags & WHDR_DONE) {
            const double now = UnixSeconds();
            const size_t n = headers[next].dwBytesRecorded / sizeof(int16_t);
            std::fwrite(data[next].data(), sizeof(int16_t), n, raw);
            total += static_cast<long long>(n);
            std::fprintf(times, "%lld %.4f\n", total, now);
            std::fflush(raw);
            std::fflush(times);
            waveInAddBuffer(device, &headers[next], sizeof(WAVEHDR));
            next = (next + 1) % kBuffers;
        }
    }
    waveInReset(device);
    for (auto& h : headers) waveInUnprepareHeader(device, &h, sizeof(WAVEHDR));
    waveInClose(device);
    std::fclose(raw);
    std::fclose(times);
    return 0;
}
