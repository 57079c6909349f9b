// Recording-level calibration of the default capture device: block levels,
// the tone-phase volume steps and the whole message dialogue, free of the
// platform. The program supplies the capture volume and a host for message
// boxes, the clock and the message pump.
#pragma once
#include <cstddef>
#include <cstdint>

namespace suite {

// A capture buffer holds 200 sample frames, 25 ms at 8000 Hz; three are queued.
constexpr int kCalibrationFrames = 200;
constexpr int kCalibrationBuffers = 3;
constexpr int kClippedPeak = 127;

// Master volume and mute of the default capture endpoint.
class CaptureVolume {
public:
    virtual ~CaptureVolume() = default;
    virtual float MasterVolume() = 0;  // scalar 0..1
    virtual void SetMasterVolume(float scalar) = 0;
    virtual bool Muted() = 0;
    virtual void SetMuted(bool muted) = 0;
};

// Capture buffers as the driver reports them, one at a time.
class ReportedBuffers {
public:
    virtual ~ReportedBuffers() = default;
    // The samples of a reported buffer, or nullptr for a foreign one.
    virtual const int16_t* Reported(const void* header) const = 0;
    virtual bool Stereo() const = 0;
    // Hands the buffer back; the driver may fill it again at once.
    virtual void Requeue(const void* header) = 0;
};

class LevelCalibration;
// A reported buffer: measured first, then handed back.
void TakeReportedBuffer(ReportedBuffers& capture, const void* header, LevelCalibration* calibration);

// The program's side of the dialogue. Capture blocks reach
// LevelCalibration::OnBlock while Tell, Ask or Pump run.
class CalibrationHost {
public:
    virtual ~CalibrationHost() = default;
    // Message box titled "Quorrel" with OK; returns when the user closed it.
    virtual void Tell(const char* text) = 0;
    // Message box titled "Quorrel" with Yes and No; true for Yes.
    virtual bool Ask(const char* text) = 0;
    // A real-time clock in milliseconds; may wrap.
    virtual uint32_t NowMs() = 0;
    // Dispatches pending messages, waiting at most maxWaitMs (> 0) for one.
    virtual void Pump(uint32_t maxWaitMs) = 0;
    virtual void Beep(uint32_t hz, uint32_t ms) = 0;
};

// Largest of (s >= 0 ? s : ~s) >> 8 over the samples: 0..127.
int BlockPeak(const int16_t* samples, size_t count);

// Copies the 200 mono samples of a buffer into block; a stereo buffer gives
// its first (left) channel.
void TakeBlock(const int16_t* buffer, bool stereo, int16_t* block);

enum class LevelReport { None, BelowHalf, BelowQuarter };

// The report due for the largest tone-phase Peak.
LevelReport ChooseReport(int maxPeak);

// Message text of a report; nullptr for LevelReport::None.
const char* ReportText(LevelReport report);

// scalar + delta, clamped to 0..1.
float StepVolume(float scalar, float delta);

enum class CalibrationResult {
    Calibrated,
    NoDialTone,
    ClippedAtLowest,  // the tone clipped even with the volume cut to 0; volume put back
};

class LevelCalibration {
public:
    explicit LevelCalibration(CaptureVolume& volume) : volume_(volume) {}

    // Measures the block of a capture buffer (see TakeBlock).
    void OnBuffer(const int16_t* buffer, bool stereo);
    // Measures one block of 200 mono samples; in the tone phase a clipped
    // block lowers the master volume by 0.01.
    void OnBlock(const int16_t* block);

    // The whole dialogue: saves volume and mute, sets full volume and
    // unmutes, then on-hook noise, tone phase (repeated until the tone was
    // steady), report and the final +0.01 step. Volume and mute are put back
    // when no dial tone was heard, and when clipping cut the volume to 0.
    CalibrationResult Run(CalibrationHost& host);

    // Phase changes used by Run.
    void StartNoisePhase();
    void EndNoisePhase();
    void StartTonePhase();
    void StopMeasuring() { measuring_ = false; }

    int MaxPeak() const { return maxPeak_; }
    int NoiseLevel() const { return noiseLevel_; }
    bool Measuring() const { return measuring_; }
    bool Steady() const { return steady_; }
    int AboveNoise() const { return aboveNoise_; }
    int ClipSteps() const { return clipSteps_; }

private:
    // False when the first second of the tone phase brought no block above NoiseLevel.
    bool WaitForTone(CalibrationHost& host);

    CaptureVolume& volume_;
    int maxPeak_ = 0;         // largest Peak (0..127) since the last reset
    int noiseLevel_ = 0;      // MaxPeak at the end of the on-hook phase
    bool measuring_ = false;  // set only during the tone phase
    int previousPeak_ = 0;    // Peak of the previous tone-phase block
    bool steady_ = false;     // no tone-phase block fell below half the one before
    int aboveNoise_ = 0;      // tone-phase blocks louder than NoiseLevel
    int clipSteps_ = 0;       // clipped tone-phase blocks over the whole run
};

}  // namespace suite
