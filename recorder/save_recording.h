// The saving step: finishes the temporary recording, works out its folder and
// name, and moves it there, or into the emergency folder.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "recorder/clock.h"
#include "common/recorder_shared.h"
#include "common/sjis_text.h"
#include "recorder/recording_writer.h"

namespace suite {

class RecorderSettings;
class SettingsRecord;

// Shown when SaveFailed is raised: the recording could not be moved to its
// name nor into the emergency folder (a temporary file that still exists is
// recovered at the next start).
extern const char kSaveFailedMessage[];

// What the saving step reads from a recorder's settings, and the
// recording_path slot (300 bytes) it rewrites.
struct SavingSettings {
    std::string record_folder;       // ends in "\"
    std::string folder_name_format;
    std::string file_name_format;
    std::string incoming_name_format;
    std::string outgoing_name_format;
    uint8_t recording_format = 0;    // 0 WAV, else Ogg
    // Line recorder: named from the number field and the item patterns.
    // Handset recorder: always the expanded file_name_format.
    bool namedByCall = true;
    TextSlot recording_path;         // none: the path is not kept
};

// What both recorders' records give the saving step (named by the file name
// format only); folderNameFormat is the record's own slot.
SavingSettings RecorderSavingSettings(RecorderSettings* record, ConstTextSlot folderNameFormat);
SavingSettings LineSavingSettings(SettingsRecord* record);

// The call being saved, as the recording pass knows it.
struct CallFacts {
    std::string callNumber;  // CallNumber: number, maybe a space and the phone book name
    bool incoming = true;     // IncomingCall
    bool manual = false;      // the recording was started by the manual command
};

enum class SaveOutcome {
    Saved,                   // under its own name
    SavedInEmergencyFolder,  // SavedToEmergency was raised
    Discarded,               // exit: the temporary file was deleted
    Failed,                  // nothing could be moved; SaveFailed was raised
};

// text with the characters a file name cannot hold (\ / : * ? " < > |, at
// the start of a character only) in their full-width forms (＼ ／ ： ＊ ？ ”
// ＜ ＞ ｜) and control bytes dropped.
std::string FileNameSafe(const std::string& text);

// folder + name + extension, or with "(n)" before the extension for the
// first n = 1, 2, ... that is free. *n gets 0 when no number was needed.
std::string FreeRecordingPath(const std::string& folder, const std::string& name, const std::string& extension,
                              int* n);

class RecordingSaver {
public:
    static constexpr size_t kNameSize = 1024;  // LastSavedName's slot
    static constexpr size_t kFieldTextSize = 260;  // number field text, terminator included

    RecordingSaver(RecordingWriter* writer, const Clock& clock, NumberField* field)
        : writer_(writer), clock_(clock), field_(field) {}

    // SaveRecording: with discard 0 when a recording ends, 1 at program exit
    // (then the temporary file is deleted and nothing else changes but the
    // folder and recording_path). Marks the writer closed in every case.
    // Not to run at the same time as the writer's own work on another thread.
    SaveOutcome SaveRecording(const SavingSettings& settings, const CallFacts& call, bool discard);

    // Raised when a recording went into the emergency folder; the main loop
    // shows the warning bar and clears it.
    std::atomic<int32_t>& SavedToEmergency() { return savedToEmergency_; }
    // Raised when a recording could not be saved at all.
    std::atomic<int32_t>& SaveFailed() { return saveFailed_; }
    // Raised when a saved recording is shorter than the call because writes
    // failed (a full disk); the main loop shows the warning bar with the
    // disk-full text and clears it.
    std::atomic<int32_t>& DiskFull() { return diskFull_; }
    // Name and extension of the latest saved recording; empty before the first.
    const char* LastSavedName() const { return lastSavedName_; }
    // Whole path of the latest saved recording (for tools and tests).
    const std::string& LastSavedPath() const { return lastSavedPath_; }

private:
    std::string BuildName(const SavingSettings& settings, const CallFacts& call) const;
    std::string ItemName(const SavingSettings& settings, const CallFacts& call) const;

    RecordingWriter* writer_;
    const Clock& clock_;
    NumberField* field_;
    std::atomic<int32_t> savedToEmergency_{0};
    std::atomic<int32_t> saveFailed_{0};
    std::atomic<int32_t> diskFull_{0};
    char lastSavedName_[kNameSize] = {};
    std::string lastSavedPath_;
};

}  // namespace suite
