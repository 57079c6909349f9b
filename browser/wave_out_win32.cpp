#include "browser/wave_out_win32.h"

#include "common/win32_text.h"

namespace suite {

WaveOutWin32::WaveOutWin32() { event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr); }

WaveOutWin32::~WaveOutWin32() {
    Close();
    if (event_) CloseHandle(event_);
}

bool WaveOutWin32::Open(const AudioFormat& f) {
    Close();
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = f.channels;
    format.nSamplesPerSec = f.rate;
    format.nAvgBytesPerSec = f.bytesPerSecond;
    format.nBlockAlign = f.blockAlign;
    format.wBitsPerSample = 16;
    return waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_), 0, CALLBACK_EVENT) ==
           MMSYSERR_NOERROR;
}

bool WaveOutWin32::Queue(int slot, const uint8_t* data, size_t n) {
    if (!device_) return false;
    WAVEHDR& h = headers_[slot];
    if (prepared_[slot]) waveOutUnprepareHeader(device_, &h, sizeof h);
    h = WAVEHDR{};
    h.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t*>(data));
    h.dwBufferLength = static_cast<DWORD>(n);
    prepared_[slot] = waveOutPrepareHeader(device_, &h, sizeof h) == MMSYSERR_NOERROR;
    return prepared_[slot] && waveOutWrite(device_, &h, sizeof h) == MMSYSERR_NOERROR;
}

bool WaveOutWin32::Done(int slot) { return !prepared_[slot] || (headers_[slot].dwFlags & WHDR_DONE) != 0; }

void WaveOutWin32::Pause() {
    if (device_) waveOutPause(device_);
}

void WaveOutWin32::Restart() {
    if (device_) waveOutRestart(device_);
}

void WaveOutWin32::Reset() {
    if (device_) waveOutReset(device_);
}

void WaveOutWin32::SetVolume(bool full) {
    if (device_) waveOutSetVolume(device_, full ? 0xFFFFFFFF : 0);
}

void WaveOutWin32::Close() {
    if (!device_) return;
    waveOutReset(device_);
    for (int s = 0; s < 2; ++s) {
        if (prepared_[s]) waveOutUnprepareHeader(device_, &headers_[s], sizeof headers_[s]);
        prepared_[s] = false;
    }
    waveOutClose(device_);
    device_ = nullptr;
}

bool PlayerHostWin32::Wait(uint32_t timeoutMs) {
    HANDLE event = device_.BlockEvent();
    MsgWaitForMultipleObjectsEx(1, &event, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the browser thread's own loop too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void PlayerHostWin32::Pointer(int* x, int* y) {
    POINT p = {};
    GetCursorPos(&p);
    if (window_) ScreenToClient(window_, &p);
    *x = p.x;
    *y = p.y;
}

void PlayerHostWin32::Repaint(bool immediately) {
    if (!window_) return;
    InvalidateRect(window_, nullptr, FALSE);
    if (immediately) UpdateWindow(window_);
}

void PlayerHostWin32::Warn(const char* text, const char* caption) {
    MessageBoxW(window_, AsWide(SjisToUtf16(text)), AsWide(SjisToUtf16(caption)), MB_OK | MB_ICONWARNING);
}

}  // namespace suite
