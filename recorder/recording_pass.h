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
// and LastSavedName()/RecordingPath() for the browser. At WM_QUIT (and when
// Windows ends the session) it calls SaveAtExit() before stopping capture
// and writing the settings: an open recording is saved as "録音中止+保存"
// would, and no later pass opens a new one.
#pragma once
#include <cstdint>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "recorder/block_source.h"
#include "linesignal/caller_number_decoder.h"
#include "recorder/clock.h"
#include "linesignal/dial_digit_decoder.h"
#include "linesignal/line_signal.h"
#include "common/recorder_shared.h"
#include "recorder/recording_writer.h"
#include "recorder/save_recording.h"

namespace suite {

class SettingsRecord;

extern const char kNumberUnreadable[];  // "取得不能"
extern const char kRecordingMark[];     // "録音中", the handset's number field while recording

// When the pass empties the number field.
enum class FieldClearing {
    // Once a recording's first block is written: until then the field still
    // shows the last call, and a call named before any tick runs must not
    // take that text.
    AfterFirstBlock,
    // When a recording opens and when "録音中止" discards it: the field shows
    // "録音中" while a recording is open (MarkRecordingInField).
    AtOpenAndDiscard,
};

// What the two recorders' passes do differently. The defaults are the line
// recorder's (LinePassConfig); HandsetPassConfig sets the handset's.
struct PassPolicy {
    // The dial-tone test on a recording's first block and the caller number
    // and dialled digit decoders; without them every recording is incoming.
    bool lineSignals = true;
    // Loud blocks in a row that start an automatic recording while none is
    // open; before the last of them the level counts as 0 (a handset hears
    // clicks and coughs).
    int loudBlocksToStart = 1;
    FieldClearing fieldClearing = FieldClearing::AfterFirstBlock;
};

struct PassConfig {
    SavingSettings saving;         // folders, formats, recording_format, recording_path slot
    int32_t silenceReload = 10;    // SilenceReload, seconds: (silence_choice + 1) * 10
    PassPolicy policy;
};

// A recorder's pass settings from its record and saving settings;
// record_folder must already hold the chosen folder_list entry (start-up
// step 5).
PassConfig RecorderPassConfig(RecorderSettings& record, const SavingSettings& saving);
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
    std::string recoveredPath;   // a leftover TMP.tmp rescued before this recording opened it
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

    // Program exit: saves an open recording as "録音中止+保存" would (named
    // by the number known by then; what could be written when the device is
    // gone) and stops every later pass from opening one. Waits at most
    // kExitWait for a pass in progress; past that the temporary file is left
    // for the next start to rescue. True when a recording was saved
    // (saveOutcome says where).
    // pending (may be null) gives the blocks captured but not passed yet,
    // which are written first, so the recording reaches the close.
    static constexpr std::chrono::milliseconds kExitWait{3000};
    bool SaveAtExit(BlockSource* pending = nullptr, SaveOutcome* saveOutcome = nullptr);

    // The saving step's flags and names (SavedToEmergency, SaveFailed,
    // LastSavedName; read by the tick).
    RecordingSaver& Saver() { return saver_; }
    // Copies of recording_path and LastSavedName as the last save left them,
    // taken under the lock (safe from the user-interface thread).
    std::string RecordingPath();
    std::string LastSavedName();
    // Handset tick: "録音中" in the number field while a recording is open.
    // Under the pass's lock, so a save that just showed its name is never
    // overwritten; a busy pass is left alone until the next tick.
    void MarkRecordingInField();

    // State of the current recording, for tests and the tool.
    int StartHint() const { return startHint_; }
    bool ManualRecording() const { return manual_; }
    int Attempts() const { return attempts_; }
    const int16_t* WorkBuffer() const { return work_; }

private:
    void DecideDirection();
    void StartRecording(PassReport* report);
    void WriteAndDecode(PassReport* report);
    void Confirm(PassReport* report);
    void ApplyCommand(PassReport* report);
    void MirrorCallNumber();
    int32_t CountedLevel(int32_t measured);
    void ClearField();

    RecorderShared& shared_;
    PassConfig config_;
    const Clock& clock_;
    NumberField* numberField_;   // may be null
    RecordingWriter writer_;
    RecordingSaver saver_;
    std::timed_mutex lock_;      // one pass, or the exit save, at a time
    bool closedForExit_ = false;

    int16_t work_[kBlockSampleCount] = {};  // WorkBuffer
    std::unique_ptr<LineAnalysisBuffer> analysis_;
    CallNumberText callNumber_ = {};        // the decoders' CallNumber
    CallerNumberDecoder caller_;
    DialDigitDecoder dial_;
    int attempts_ = 0;           // caller number attempts of this call, 0..10
    int startHint_ = 0;          // StartHint
    int loudBlocks_ = 0;         // loud blocks in a row while no recording is open, 0..loudBlocksToStart
    bool manual_ = false;        // the recording was started in manual mode
};

}  // namespace suite
