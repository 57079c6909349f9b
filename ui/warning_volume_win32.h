// Core Audio side of the warning volume, and the warning alarm: the looping
// "NgSound" together with the volume override. The warning bar and the
// connection check share one alarm, so the sound plays while either needs it.
#pragma once
#include <windows.h>

#include <memory>

#include "ui/warning_volume.h"

namespace suite {

// IAudioSessionManager2 / ISimpleAudioVolume of the default render device
// (multimedia role) for the program's own streams, IAudioEndpointVolume of
// the default render device (console role) for the master volume.
std::unique_ptr<OutputVolumeControls> CreateCoreAudioOutputControls();

class WarningAlarm {
public:
    // The sound is the WAVE resource "NgSound" of instance.
    WarningAlarm(HINSTANCE instance, OutputVolumeControls& controls, int warningVolumeSetting);

    // Starts the sound looping (unless it already plays) and begins the override.
    void Begin();
    // Ends the override; the sound stops when no other warning needs it.
    // Without a matching Begin it does nothing.
    void End();
    bool Sounding() const { return volume_.Overriding(); }

private:
    HINSTANCE instance_;
    WarningVolume volume_;
};

}  // namespace suite
