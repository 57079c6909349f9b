// The recording thread's pass: one half-second block each time through
// block intake, the dial-tone test, the writer, the line decoders, the
// saving step, level, threshold and mute, the trigger and the user's command.
//
// How the program uses it: at start-up it runs RecoverLeftoverRecording
// (leftover_recovery.h) and tells the user, builds one RecordingPass from
// LinePassConfig(&settings) with the shared words, the system clock and its
// number field, calls PrimeDecoders with a 100 ms sleep, then starts the
// recording thread (CreateThread) whose entry calls RunUntilStopped(capture).
// The tick reads Saver().SavedToEmergency()/SaveFailed() for the warning bar
// and LastSavedName()/RecordingPath() for the browser. At WM_QUIT it calls
// SaveAtExit() before stopping capture: an open recording is dropped, and
// no later pass opens a new one.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "block_source.h"
#include "linesignal/caller_number_decoder.h"
#include "clock.h"
#include "linesignal/dial_digit_decoder.h"
#include "linesignal/line_signal.h"
#include "common/recorder_shared.h"
#include "recording_writer.h"
#include "save_recording.h"

namespace suite {

class SettingsRecord;

extern const char kNumberUnreadable[];  // "取得不能"

struct PassConfig {
    SavingSettings saving;         // folders, formats, recording_format, recording_path slot
    int32_t silenceReload = 10;    // SilenceReload, seconds: (silence_choice + 1) * 10
    bool lineSignals = true;       // run the caller number and dialled digit decoders
};

// The line recorder's pass settings; record_folder must already hold the
// chosen folder_list entry (start-up step 5).
PassConfig LinePassConfig(SettingsRecord* record);

// What one pass did, for the tool and tests (the program may ignore it).
struct PassReport {
    bool gotBlock = false;       // false: the source ended or was stopped, nothing else happened
    bool opened = false;         // this block began a recording
    bool wroteBlock = false;     // this block was appended to the open recording
    bool numberConfirmed = false;  // NumberReady was raised
    bool saved = false;          // the saving step ran (saveOutcome, savedPath, call)
    SaveOutcome saveOutcome = SaveOutcome::Saved;
    std::string savedPath;       // Shift-JIS, "\" separators; empty unless saved under a name
    CallFacts call;              // the facts the saved recording was named by
    bool discarded = false;      // "録音中止" dropped the open recording
};

class RecordingPass {
public:
    // shared, clock and numberField (may be null) must outlive the pass.
    // numberField is called from the recording thread by the saving step.
    RecordingPass(RecorderShared& shared, const PassConfig& config, const Clock& clock, NumberField* numberField);
    ~RecordingPass();
    RecordingPass(const RecordingPass&) = delete;
    RecordingPass& operator=(const RecordingPass&) = delete;

    // Start-up priming: ten rounds of caller number attempt i on a silent
    // block, pause(), dialled digit decode; CallNumber stays empty.
    void PrimeDecoders(const std::function<void()>& pause = {});

    // One pass over the next block of source. Blocks in NextBlock while
    // waiting; the rest runs under the pass's lock.
    PassReport RunPass(BlockSource& source);

    // The recording thread's body: passes until the source stops.
    void RunUntilStopped(BlockSource& source);

    // Program exit: finishes and deletes an open recording (no recording
    // file is made) and stops every later pass from opening one. Waits for a
    // pass in progress. True when a recording was dropped.
    bool SaveAtExit();

    // The saving step's flags and names (SavedToEmergency, SaveFailed,
    // LastSavedName; read by the tick).
    RecordingSaver& Saver() { return saver_; }
    // Copies of recording_path and LastSavedName as the last save left them,
    // taken under the lock (safe from the user-interface thread).
    std::string RecordingPath();
    std::string LastSavedName();

    // State of the current recording, for tests and the tool.
    int StartHint() const { return startHint_; }
    bool ManualRecording() const { return manual_; }
    int Attempts() const { return attempts_; }
    const int16_t* WorkBuffer() const { return work_; }

private:
    void StartRecording();
    void WriteAndDecode(PassReport* report);
    void Confirm(PassReport* report);
    void ApplyCommand(PassReport* report);
    void MirrorCallNumber();

    RecorderShared& shared_;
    PassConfig config_;
    RecordingWriter writer_;
    RecordingSaver saver_;
    std::mutex lock_;            // one pass, or the exit save, at a time
    bool closedForExit_ = false;

    int16_t work_[kBlockSampleCount] = {};  // WorkBuffer
    std::unique_ptr<LineAnalysisBuffer> analysis_;
    CallNumberText callNumber_ = {};        // the decoders' CallNumber
    CallerNumberDecoder caller_;
    DialDigitDecoder dial_;
    int attempts_ = 0;           // caller number attempts of this call, 0..10
    int startHint_ = 0;          // StartHint
    bool manual_ = false;        // the recording was started in manual mode
};

}  // namespace suite
