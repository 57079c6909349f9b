#include "calibration/endpoint_volume_win32.h"

#include <mmdeviceapi.h>

namespace suite {
namespace {

// Spelled out so that no import library has to provide them.
const CLSID kClsidDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
const IID kIidDeviceEnumerator = {0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
const IID kIidEndpointVolume = {0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};

}  // namespace

EndpointVolume::EndpointVolume() {
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(CoCreateInstance(kClsidDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER, kIidDeviceEnumerator,
                                enumerator.OutVoid())))
        return;
    ComPtr<IMMDevice> device;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eCapture, eConsole, device.Out()))) return;
    device->Activate(kIidEndpointVolume, CLSCTX_INPROC_SERVER, nullptr, volume_.OutVoid());
}

float EndpointVolume::MasterVolume() {
    float scalar = 0.0f;
    if (volume_ && SUCCEEDED(volume_->GetMasterVolumeLevelScalar(&scalar))) lastVolume_ = scalar;
    return lastVolume_;
}

void EndpointVolume::SetMasterVolume(float scalar) {
    if (volume_) volume_->SetMasterVolumeLevelScalar(scalar, nullptr);
}

bool EndpointVolume::Muted() {
    BOOL muted = FALSE;
    if (volume_) volume_->GetMute(&muted);
    return muted != FALSE;
}

void EndpointVolume::SetMuted(bool muted) {
    if (volume_) volume_->SetMute(muted ? TRUE : FALSE, nullptr);
}

}  // namespace suite
