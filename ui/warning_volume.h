// The volume override while a warning sound plays: the program's own output
// stream unmuted at full volume and the default output device at the
// warning level, everything put back afterwards. The decisions live here;
// the audio system sits behind OutputVolumeControls.
#pragma once
#include <vector>

namespace suite {

// The audio system as the override sees it. Operations on controls that do
// not exist are never called.
class OutputVolumeControls {
public:
    virtual ~OutputVolumeControls() = default;

    virtual void Sleep(int milliseconds) = 0;
    // Starts the audio system for this thread and finds the controls.
    virtual void Open() = 0;
    // Releases the controls and ends the thread's use of the audio system.
    virtual void Close() = 0;

    // The program's own application streams on the default output device.
    virtual int StreamCount() = 0;
    virtual bool StreamMuted(int stream) = 0;
    virtual float StreamVolume(int stream) = 0;
    virtual void SetStreamMuted(int stream, bool muted) = 0;
    virtual void SetStreamVolume(int stream, float volume) = 0;

    // The default output device (console role).
    virtual bool HasEndpoint() = 0;
    virtual bool EndpointMuted() = 0;
    virtual float EndpointVolume() = 0;
    virtual void SetEndpointMuted(bool muted) = 0;
    virtual void SetEndpointVolume(float scalar) = 0;
};

// Master volume scalar for the settings' warning_volume (0..5): 0.0, 0.2,
// .. 1.0. Out-of-range values give 1.0 rather than an invalid scalar.
float WarningVolumeScalar(int warningVolumeSetting);

class WarningVolume {
public:
    WarningVolume(OutputVolumeControls& controls, int warningVolumeSetting);

    // Waits 200 ms, saves the user's values and sets the warning ones. A
    // begin while an override is already running keeps the values saved
    // first. True for the begin that started the override.
    bool Begin();
    // Puts back what the first begin saved once every begin has had its
    // end; an end without a begin does nothing. True for the end that
    // finished the override.
    bool End();

    bool Overriding() const { return depth_ > 0; }

private:
    struct Saved {
        bool muted;
        float volume;
    };

    OutputVolumeControls& controls_;
    float warningScalar_;
    int depth_ = 0;                   // begins not yet ended
    std::vector<Saved> streams_;      // one per own stream, in enumeration order
    bool endpointSaved_ = false;
    Saved endpoint_{false, 0.0f};
};

}  // namespace suite
