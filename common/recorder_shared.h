// The words the user-interface thread and the recording thread share. Each
// is one atomic 32-bit word; the texts are guarded by a mutex and, where a
// flag announces them, written before the flag is raised. Windows keep their
// own state; whatever another thread must see goes through here.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

namespace suite {

enum RecorderCommandValue : int32_t {
    kCommandStop = 0,         // "録音中止"
    kCommandManual = 1,       // "手動録音"
    kCommandAutomatic = 2,    // "自動録音"
    kCommandStopAndSave = 3,  // "録音中止+保存"
};

// The recording in progress, in "非常用フォルダー": no other part of the
// program may hold, empty or rename it.
constexpr char kTempRecordingName[] = "TMP.tmp";

constexpr int32_t kNoRecordingBytes = 44;  // RecordedBytes with no recording open
constexpr int kMuteBuffersAtStart = 16;

class GuardedText {
public:
    void Set(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        text_ = text;
    }
    std::string Get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }
    void Clear() { Set(std::string()); }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

struct RecorderShared {
    // Written by the user-interface thread (buttons), applied by the pass.
    std::atomic<int32_t> RecorderCommand{kCommandStop};
    // The mode in force; written by the recording thread only.
    std::atomic<int32_t> RecorderMode{kCommandStop};
    std::atomic<int32_t> RecordedBytes{kNoRecordingBytes};
    std::atomic<int32_t> RecordingActive{0};
    // Reloaded by the pass, counted down by the tick (never below 1).
    std::atomic<int32_t> SilenceCountdown{0};
    std::atomic<int32_t> IncomingCall{1};
    // 0 nothing, 1 a number was decoded, 2 the board was asked for by a click.
    std::atomic<int32_t> NumberReady{0};
    std::atomic<int32_t> PeakLevel{0};
    std::atomic<int32_t> CurrentLevel{0};
    // Working copy of auto_start_level, changed by the level buttons.
    std::atomic<int32_t> LevelThreshold{10};
    std::atomic<int32_t> MuteBuffers{kMuteBuffersAtStart};
    // Blocks consumed since the last connection check.
    std::atomic<int32_t> BuffersSeen{0};

    // Copy of CallNumber taken when a number was decoded; written before
    // NumberReady is set to 1.
    GuardedText ConfirmedNumber;
    // CallNumber as the user sees it (the decoders' own buffer belongs to
    // the recording thread; this copy is refreshed by the pass and by the
    // hand-over when the phone book name is joined).
    GuardedText CallNumber;
    // The text of the main window's number field: set by either thread,
    // shown by the window, read back by the saving step.
    GuardedText NumberFieldText;
};

// The main window's number field as the saving step and the tick hand it
// over: the text lives in NumberFieldText, the window only shows it.
class NumberField {
public:
    virtual ~NumberField() = default;
    virtual std::string Text() const = 0;
    virtual void Show(const std::string& text) = 0;
};

}  // namespace suite
