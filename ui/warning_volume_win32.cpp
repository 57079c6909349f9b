#include "ui/warning_volume_win32.h"

#include <audiopolicy.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>
#include <objbase.h>

#include <vector>

#include "common/com_ptr_win32.h"

namespace suite {
namespace {

// Spelled out so that no import library has to provide them.
const CLSID kClsidDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
const IID kIidDeviceEnumerator = {0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
const IID kIidEndpointVolume = {0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};
const IID kIidSessionManager2 = {0x77AA99A0, 0x1BD6, 0x484F, {0x8B, 0xC7, 0x2C, 0x65, 0x4C, 0x9A, 0x9B, 0x6F}};
const IID kIidSessionControl2 = {0xBFB7FF88, 0x7239, 0x4FC9, {0x8F, 0xA2, 0x07, 0xC9, 0x50, 0xBE, 0x9C, 0x6D}};
const IID kIidSimpleVolume = {0x87CE5498, 0x68D6, 0x44E5, {0x92, 0x15, 0x6D, 0xA4, 0x7E, 0xF8, 0x83, 0xD8}};

class CoreAudioOutputControls : public OutputVolumeControls {
public:
    ~CoreAudioOutputControls() override { Close(); }

    void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }

    void Open() override {
        Close();
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comStarted_ = SUCCEEDED(hr);  // S_FALSE too: every success needs its CoUninitialize
        ComPtr<IMMDeviceEnumerator> enumerator;
        if (FAILED(CoCreateInstance(kClsidDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER, kIidDeviceEnumerator,
                                    enumerator.OutVoid())))
            return;
        FindOwnStreams(enumerator);
        ComPtr<IMMDevice> device;
        if (SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.Out())))
            device->Activate(kIidEndpointVolume, CLSCTX_INPROC_SERVER, nullptr, endpoint_.OutVoid());
    }

    void Close() override {
        for (ISimpleAudioVolume* stream : streams_) stream->Release();
        streams_.clear();
        endpoint_.Reset();
        if (comStarted_) CoUninitialize();
        comStarted_ = false;
    }

    int StreamCount() override { return static_cast<int>(streams_.size()); }
    bool StreamMuted(int i) override {
        BOOL muted = FALSE;
        streams_[i]->GetMute(&muted);
        return muted != FALSE;
    }
    float StreamVolume(int i) override {
        float volume = 1.0f;
        streams_[i]->GetMasterVolume(&volume);
        return volume;
    }
    void SetStreamMuted(int i, bool muted) override { streams_[i]->SetMute(muted ? TRUE : FALSE, nullptr); }
    void SetStreamVolume(int i, float volume) override { streams_[i]->SetMasterVolume(volume, nullptr); }

    bool HasEndpoint() override { return static_cast<bool>(endpoint_); }
    bool EndpointMuted() override {
        BOOL muted = FALSE;
        endpoint_->GetMute(&muted);
        return muted != FALSE;
    }
    float EndpointVolume() override {
        float scalar = 1.0f;
        endpoint_->GetMasterVolumeLevelScalar(&scalar);
        return scalar;
    }
    void SetEndpointMuted(bool muted) override { endpoint_->SetMute(muted ? TRUE : FALSE, nullptr); }
    void SetEndpointVolume(float scalar) override { endpoint_->SetMasterVolumeLevelScalar(scalar, nullptr); }

private:
    // The sessions of this process on the default multimedia output.
    void FindOwnStreams(ComPtr<IMMDeviceEnumerator>& enumerator) {
        ComPtr<IMMDevice> device;
        if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eMultimedia, device.Out()))) return;
        ComPtr<IAudioSessionManager2> manager;
        if (FAILED(device->Activate(kIidSessionManager2, CLSCTX_INPROC_SERVER, nullptr, manager.OutVoid()))) return;
        ComPtr<IAudioSessionEnumerator> sessions;
        if (FAILED(manager->GetSessionEnumerator(sessions.Out()))) return;
        int count = 0;
        if (FAILED(sessions->GetCount(&count))) return;
        DWORD self = GetCurrentProcessId();
        for (int i = 0; i < count; ++i) {
            ComPtr<IAudioSessionControl> control;
            if (FAILED(sessions->GetSession(i, control.Out()))) continue;
            ComPtr<IAudioSessionControl2> control2;
            if (FAILED(control->QueryInterface(kIidSessionControl2, control2.OutVoid()))) continue;
            DWORD process = 0;
            if (FAILED(control2->GetProcessId(&process)) || process != self) continue;
            ISimpleAudioVolume* volume = nullptr;
            if (SUCCEEDED(control->QueryInterface(kIidSimpleVolume, reinterpret_cast<void**>(&volume))) && volume)
                streams_.push_back(volume);
        }
    }

    bool comStarted_ = false;
    std::vector<ISimpleAudioVolume*> streams_;  // owned references
    ComPtr<IAudioEndpointVolume> endpoint_;
};

}  // namespace

std::unique_ptr<OutputVolumeControls> CreateCoreAudioOutputControls() {
    return std::make_unique<CoreAudioOutputControls>();
}

WarningAlarm::WarningAlarm(HINSTANCE instance, OutputVolumeControls& controls, int warningVolumeSetting)
    : instance_(instance), volume_(controls, warningVolumeSetting) {}

void WarningAlarm::Begin() {
    // Started before the override, which looks for the program's stream.
    if (!volume_.Overriding()) PlaySoundW(L"NgSound", instance_, SND_RESOURCE | SND_ASYNC | SND_LOOP);
    volume_.Begin();
}

void WarningAlarm::End() {
    if (!volume_.Overriding()) return;
    if (volume_.End()) PlaySoundW(nullptr, nullptr, 0);
}

}  // namespace suite
