// What a running recorder does about the computer's sleep: it asks the
// system to stay awake for its whole run (calls come at any hour) and, when
// a sleep happened anyway, tells the user once after the resume.
#pragma once
#include <cstdint>

namespace suite {

// The system's keep-awake request; the Win32 side sets the thread's
// execution state (the display may still turn off).
class SystemAwake {
public:
    virtual ~SystemAwake() = default;
    virtual void Hold(bool awake) = 0;
};

class PowerWatch {
public:
    // Resume events this close to a told one belong to the same wake-up
    // (Windows sends one for the system and one for the user).
    static constexpr int64_t kSameResumeSeconds = 60;

    explicit PowerWatch(SystemAwake* awake) : awake_(awake) {}
    ~PowerWatch() { End(); }
    PowerWatch(const PowerWatch&) = delete;
    PowerWatch& operator=(const PowerWatch&) = delete;

    // The recorder listens from now on: keep the system awake.
    void Start();
    // The recorder stops listening: give the request back. Also before the
    // process is ended from outside the runtime's exit.
    void End();

    void OnSuspend() { suspended_ = true; }
    // A resume event at nowSeconds (a steady clock): true when the user is
    // to be told that calls during the sleep were not recorded; once per sleep.
    bool OnResume(int64_t nowSeconds);

private:
    SystemAwake* awake_;
    bool holding_ = false;
    bool suspended_ = false;       // a suspend was announced since the last told resume
    int64_t lastToldSeconds_ = -1;  // none yet
};

}  // namespace suite
