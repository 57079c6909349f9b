#include "recorder/recording_pass.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/file_layer.h"
#include "common/settings_record.h"
#include "recorder/leftover_recovery.h"

namespace suite {

const char kNumberUnreadable[] = "取得不能";
const char kRecordingMark[] = "録音中";

namespace {

constexpr int kMaxAttempts = 10;         // caller number attempts per call
constexpr int32_t kBlockBytes = 8000;

}  // namespace

PassConfig RecorderPassConfig(RecorderSettings& record, const SavingSettings& saving) {
    PassConfig config;
    config.saving = saving;
    int choice = record.silence_choice();
    // A damaged byte would give minutes of silence before a save.
    if (choice > 5) choice = 5;
    config.silenceReload = (choice + 1) * 10;
    return config;
}

PassConfig LinePassConfig(SettingsRecord* record) { return RecorderPassConfig(*record, LineSavingSettings(record)); }

RecordingPass::RecordingPass(RecorderShared& shared, const PassConfig& config, const Clock& clock,
                             NumberField* numberField)
    : shared_(shared),
      config_(config),
      clock_(clock),
      numberField_(numberField),
      writer_(clock),
      saver_(&writer_, clock, numberField),
      analysis_(std::make_unique<LineAnalysisBuffer>()),
      caller_(*analysis_, callNumber_),
      dial_(*analysis_, callNumber_) {}

RecordingPass::~RecordingPass() = default;

void RecordingPass::PrimeDecoders(const std::function<void()>& pause) {
    std::lock_guard<std::timed_mutex> lock(lock_);
    static const int16_t silence[kBlockSampleCount] = {};
    for (int i = 0; i < kMaxAttempts; ++i) {
        callNumber_[0] = '\0';
        caller_.Decode(i, silence);
        if (pause) pause();
        dial_.Decode(silence);
    }
    callNumber_[0] = '\0';
    dial_.StartCall(0);
}

void RecordingPass::MirrorCallNumber() { shared_.CallNumber.Set(callNumber_); }

void RecordingPass::ClearField() {
    if (numberField_) numberField_->Show(std::string());
}

// The first block of a recording: a dial tone makes the call outgoing.
void RecordingPass::DecideDirection() {
    int stop = 0;
    if (config_.policy.lineSignals && DialToneTest(work_, kBlockSampleCount, &stop)) {
        shared_.IncomingCall.store(0);
        startHint_ = stop;
        shared_.SilenceCountdown.store(config_.silenceReload);
    } else {
        shared_.IncomingCall.store(1);
        startHint_ = 0;
    }
}

void RecordingPass::StartRecording(PassReport* report) {
    manual_ = shared_.RecorderMode.load() == kCommandManual;
    callNumber_[0] = '\0';
    attempts_ = 0;
    dial_.StartCall(startHint_);
    shared_.NumberReady.store(0);
    shared_.ConfirmedNumber.Clear();
    MirrorCallNumber();
    // A recording that could not be saved is still in TMP.tmp: rescued as at
    // start-up before the writer empties the file for this one.
    if (PathExists(kTempRecordingPath)) RecoverLeftoverRecording(clock_, &report->recoveredPath);
    writer_.Open(config_.saving.recording_format);
    if (config_.policy.fieldClearing == FieldClearing::AtOpenAndDiscard) ClearField();
}

void RecordingPass::Confirm(PassReport* report) {
    MirrorCallNumber();
    shared_.ConfirmedNumber.Set(callNumber_);
    shared_.NumberReady.store(1);
    report->numberConfirmed = true;
}

void RecordingPass::WriteAndDecode(PassReport* report) {
    writer_.Append(work_, kBlockSampleCount);
    shared_.RecordedBytes.store(writer_.RecordedBytes());
    report->wroteBlock = true;
    if (!config_.policy.lineSignals || shared_.RecorderMode.load() != kCommandAutomatic) return;

    if (shared_.IncomingCall.load() == 0) {
        if (dial_.DialComplete()) return;
        dial_.Decode(work_);
        if (dial_.DialComplete()) {
            Confirm(report);
        } else {
            MirrorCallNumber();
        }
        return;
    }
    if (callNumber_[0] != '\0') return;
    caller_.Decode(attempts_, work_);
    if (callNumber_[0] != '\0') {
        Confirm(report);
        return;
    }
    if (++attempts_ >= kMaxAttempts) {
        std::memcpy(callNumber_, kNumberUnreadable, sizeof kNumberUnreadable);
        MirrorCallNumber();
    }
}

// Above the threshold, and while no recording is open only from the
// loudBlocksToStart-th loud block in a row on; otherwise 0.
int32_t RecordingPass::CountedLevel(int32_t measured) {
    const bool idle = shared_.RecordedBytes.load() == kNoRecordingBytes;
    if (measured <= shared_.LevelThreshold.load()) {
        if (idle) loudBlocks_ = 0;
        return 0;
    }
    if (!idle) return measured;
    if (loudBlocks_ < config_.policy.loudBlocksToStart) ++loudBlocks_;
    return loudBlocks_ < config_.policy.loudBlocksToStart ? 0 : measured;
}

void RecordingPass::ApplyCommand(PassReport* report) {
    int32_t command = shared_.RecorderCommand.load();
    if (shared_.RecorderMode.load() == command) return;
    shared_.RecorderMode.store(command);
    if (shared_.RecordedBytes.load() > kNoRecordingBytes) {
        if (command == kCommandStopAndSave) {
            shared_.SilenceCountdown.store(1);
        } else if (command == kCommandStop) {
            writer_.Abort();
            if (config_.policy.fieldClearing == FieldClearing::AtOpenAndDiscard) ClearField();
            shared_.RecordedBytes.store(kNoRecordingBytes);
            shared_.RecordingActive.store(0);
            shared_.SilenceCountdown.store(0);
            report->discarded = true;
        }
    } else if (command == kCommandStop || command == kCommandStopAndSave) {
        // A recording decided on this very block but not opened yet would
        // otherwise be opened and recorded in the stopped mode.
        shared_.RecordingActive.store(0);
    }
    if (command == kCommandStopAndSave) {
        int32_t expected = kCommandStopAndSave;
        // A newer button press wins over the reset.
        shared_.RecorderCommand.compare_exchange_strong(expected, kCommandStop);
        shared_.RecorderMode.store(kCommandStop);
    }
}

PassReport RecordingPass::RunPass(BlockSource& source) {
    PassReport report;
    int16_t block[kBlockSampleCount];
    if (!source.NextBlock(block)) return report;
    report.gotBlock = true;
    shared_.BuffersSeen.fetch_add(1);

    std::lock_guard<std::timed_mutex> lock(lock_);
    std::memcpy(work_, block, sizeof work_);
    if (closedForExit_) return report;

    // The first block of a recording decided by the last pass.
    if (shared_.RecordedBytes.load() == kNoRecordingBytes && shared_.RecordingActive.load() == 1) DecideDirection();

    if (shared_.RecordingActive.load() == 1) {
        if (shared_.RecordedBytes.load() == kNoRecordingBytes) {
            StartRecording(&report);
            report.opened = true;
        }
        if (shared_.SilenceCountdown.load() != 1) WriteAndDecode(&report);
    }

    int32_t measured = 0;
    if (shared_.RecordingActive.load() == 1 && shared_.SilenceCountdown.load() == 1) {
        report.call.callNumber = shared_.CallNumber.Get();
        report.call.incoming = shared_.IncomingCall.load() != 0;
        report.call.manual = manual_;
        report.saveOutcome = saver_.SaveRecording(config_.saving, report.call, false);
        report.saved = true;
        if (report.saveOutcome == SaveOutcome::Saved || report.saveOutcome == SaveOutcome::SavedInEmergencyFolder) {
            report.savedPath = saver_.LastSavedPath();
        }
        shared_.RecordedBytes.store(kNoRecordingBytes);
        shared_.RecordingActive.store(0);
    } else {
        measured = BlockLevel(work_, kBlockSampleCount, shared_.CurrentLevel.load() / 2);
        shared_.PeakLevel.store(measured);
    }

    measured = CountedLevel(measured);
    int32_t mute = shared_.MuteBuffers.load();
    while (mute != 0 && !shared_.MuteBuffers.compare_exchange_weak(mute, mute - 1)) {
    }
    if (mute != 0 && mute - 1 != 0) measured = 0;
    shared_.CurrentLevel.store(measured);

    int32_t mode = shared_.RecorderMode.load();
    if (measured != 0 || mode == kCommandManual) {
        shared_.SilenceCountdown.store(config_.silenceReload);
        if (mode != kCommandStop) shared_.RecordingActive.store(1);
    }

    // Here, in the pass, not on a tick: while a message box holds the
    // user-interface thread no tick runs, and the next call would be named
    // by the last one's text.
    if (config_.policy.fieldClearing == FieldClearing::AfterFirstBlock &&
        shared_.RecordedBytes.load() == kNoRecordingBytes + kBlockBytes) {
        ClearField();
    }

    ApplyCommand(&report);
    return report;
}

void RecordingPass::RunUntilStopped(BlockSource& source) {
    while (RunPass(source).gotBlock) {
    }
}

bool RecordingPass::SaveAtExit(BlockSource* pending, SaveOutcome* saveOutcome) {
    std::unique_lock<std::timed_mutex> lock(lock_, kExitWait);
    // A pass stuck past the bound (a hung disk): TMP.tmp stays for the
    // rescue at the next start.
    if (!lock.owns_lock()) return false;
    closedForExit_ = true;
    if (shared_.RecordedBytes.load() == kNoRecordingBytes) {
        shared_.RecordingActive.store(0);
        return false;
    }
    // Not when the recording was already finishing (its last block written).
    if (pending && shared_.SilenceCountdown.load() != 1) {
        std::vector<int16_t> samples(kPendingSampleRoom);
        size_t n = pending->PendingSamples(samples.data());
        for (size_t at = 0; at < n; at += kBlockSampleCount) {
            writer_.Append(samples.data() + at, std::min(kBlockSampleCount, n - at));
        }
    }
    CallFacts call;
    call.callNumber = shared_.CallNumber.Get();
    call.incoming = shared_.IncomingCall.load() != 0;
    call.manual = manual_;
    SaveOutcome outcome = saver_.SaveRecording(config_.saving, call, false);
    if (saveOutcome) *saveOutcome = outcome;
    shared_.RecordedBytes.store(kNoRecordingBytes);
    shared_.RecordingActive.store(0);
    shared_.SilenceCountdown.store(0);
    return true;
}

std::string RecordingPass::RecordingPath() {
    std::lock_guard<std::timed_mutex> lock(lock_);
    return config_.saving.recording_path.Get();
}

void RecordingPass::MarkRecordingInField() {
    std::unique_lock<std::timed_mutex> lock(lock_, std::try_to_lock);
    if (!lock.owns_lock() || !numberField_) return;
    if (shared_.RecordedBytes.load() > kNoRecordingBytes) numberField_->Show(kRecordingMark);
}

std::string RecordingPass::LastSavedName() {
    std::lock_guard<std::timed_mutex> lock(lock_);
    return std::string(saver_.LastSavedName());
}

}  // namespace suite
