// The recorder's share of the 500 ms tick on the user-interface thread: the
// silence countdown, the number field clearing the pass asks for, and the
// number hand-over (phone book name joined to the number, number output
// file, the decision about the call board). Platform-free; the windows stay
// with the caller, who acts on the results.
//
// How the program uses it: one RecorderTick beside the RecordingPass. In the
// tick, step 2: `HandOver h = tick.HandOverNumber(&book, output,
// settings.info_board_mode(), boardOpen);` then, when h.showNumber, put
// h.fieldText into the number field, and when h.openBoard, open the call
// board for h.boardNumber (h.request says whether it was a click, 2, or a
// call, 1). Also each tick: `if (tick.TakeClearNumberField())` empty the
// number field; step 7: `tick.SilenceCountdownStep();`. The output target
// comes once from NumberOutputFromSetting(number_output_path).
#pragma once
#include <cstdint>
#include <string>

#include "common/recorder_shared.h"

namespace suite {

class PhoneBook;

extern const char kWithheldNumber[];  // "非通知"

// number_output_path split into its target: empty path = no output; a path
// not ending in "\" is a file rewritten with the number, else a folder that
// gets an empty file named after the number plus ".txt".
struct NumberOutputTarget {
    std::string path;      // Shift-JIS, "\" separators
    bool fileMode = false;
};
NumberOutputTarget NumberOutputFromSetting(const std::string& numberOutputPath);

// Longest number output name, terminator included.
constexpr size_t kNumberOutputNameSize = 456;

// What the number hand-over found and what the window side has to do.
struct HandOver {
    bool pending = false;     // NumberReady was not 0 (it is 0 now)
    int request = 0;          // the NumberReady value: 1 a decoded number, 2 a click
    bool showNumber = false;  // show fieldText in the main window's number field
    std::string fieldText;    // CallNumber: the number, then a space and the phone book name
    bool lookedUp = false;    // the phone book was consulted
    std::string boardNumber;  // ConfirmedNumber cut to 14 bytes
    std::string name;         // phone book name for it, empty when none
    bool openBoard = false;   // open the call board for boardNumber
    bool outputWritten = false;  // the number output file was made
    bool outputFailed = false;   // it could not be made (or its name is too long)
    std::string outputPath;   // the output file's name (Shift-JIS)
};

class RecorderTick {
public:
    explicit RecorderTick(RecorderShared& shared) : shared_(shared) {}

    // Every tick: on every second tick SilenceCountdown goes down by one,
    // never below 1.
    void SilenceCountdownStep();
    // The half-second toggle, 1 or 2.
    int HalfSecondToggle() const { return toggle_; }

    // True once after the pass asked for the number field to be emptied.
    bool TakeClearNumberField();

    // Tick step 2 while NumberReady is not 0. book may be null (no phone
    // book); infoBoardMode is info_board_mode (0 always, 1 with a name, 2
    // never); boardOpen: a call board is already open (no second one).
    HandOver HandOverNumber(PhoneBook* book, const NumberOutputTarget& output, int infoBoardMode, bool boardOpen);

private:
    RecorderShared& shared_;
    int toggle_ = 1;
};

}  // namespace suite
