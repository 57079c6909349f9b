// Master volume and mute of the default capture endpoint through Core Audio.
#pragma once
#include <windows.h>
#include <endpointvolume.h>

#include "common/com_ptr_win32.h"
#include "calibration/level_calibration.h"

namespace suite {

class EndpointVolume : public CaptureVolume {
public:
    // Needs COM initialised on this thread. Without a capture endpoint every
    // operation does nothing.
    EndpointVolume();

    float MasterVolume() override;
    void SetMasterVolume(float scalar) override;
    bool Muted() override;
    void SetMuted(bool muted) override;

private:
    ComPtr<IAudioEndpointVolume> volume_;
    float lastVolume_ = 1.0f;  // answer when the endpoint cannot be read
};

}  // namespace suite
