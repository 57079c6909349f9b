// The start-up, main loop, tick order and shutdown both recorders share.
// A program gives its own parts (settings record, work folder, phone book,
// boards, the line signals) through a RecorderVariant; RunRecorder does the
// rest in the fixed order.
#pragma once
#include <windows.h>

#include <string>

#include "common/recorder_settings.h"
#include "common/recorder_shared.h"
#include "recorder/recorder_tick.h"
#include "recorder/recording_pass.h"
#include "ui/warning_bar_window.h"

namespace suite {

class RecorderVariant {
public:
    virtual ~RecorderVariant() = default;

    // Names the program's one running copy ("Corvinet", "Pallaby").
    virtual const char* ProgramName() const = 0;
    // The program's record, loaded by LoadSettings.
    virtual RecorderSettings& Settings() = 0;
    // Start-up load of the whole record (Empty: the file was empty and the
    // defaults are in use).
    virtual LoadOutcome LoadSettings(const WorkArea& area) = 0;
    // Line recorder: the "電話帳" button and the click for the call board.
    // Otherwise the handset's: "録音中" in the number field while recording.
    virtual bool IsLineRecorder() const = 0;
    // The warning bar of this recorder.
    virtual const WarningBarLayout& BarLayout() const = 0;
    // Window classes beyond the main window and the warning bar.
    virtual bool RegisterClasses(HINSTANCE instance) = 0;
    // Start-up step 4; false ends the program.
    virtual bool ConfirmWorkFolder() = 0;
    // Start-up step 5: what follows from this record besides the record
    // folder and the shared words, which the skeleton sets.
    virtual void DeriveWorkingValues() = 0;
    // Phone book and boards, after the warning alarm exists.
    virtual void StartParts(HINSTANCE instance, HWND mainWindow, RecorderShared& shared) = 0;
    // The pass of this recorder, over the shared words and the number field.
    virtual PassConfig MakePassConfig() = 0;
    // Whether decoders want priming before the recording thread starts.
    virtual bool PrimesDecoders() const = 0;
    // Tick steps 1 to 3: board upkeep, number hand-over, phone book requests.
    virtual void TickBeforeConnection(RecorderTick& tick, NumberField& numberField) = 0;
    // Tick step 9: the phone book list (the line recorder's).
    virtual void TickPhoneBookList() {}
    // "電話帳" was pressed.
    virtual void OnPhoneBookButton() = 0;
    // Whether an information board is open (the client click asks for one).
    virtual bool InfoBoardOpen() = 0;
    // Shutdown: boards and phone book closed, their windows released on the
    // user-interface thread.
    virtual void CloseParts() = 0;
    // Fields this recorder writes back at exit besides the shared ones.
    virtual void StoreExitFields() = 0;
    // The Run value's name when the main window's menu carries the
    // start-with-Windows option (none: the option lives elsewhere).
    virtual const char16_t* RunEntryName() const { return nullptr; }
    // Title of the browser's folder chooser (Shift-JIS).
    virtual const char* BrowserChooserTitle() const { return "再生フォルダーの選択"; }
};

// Runs the recorder from start-up to shutdown; returns the exit code.
int RunRecorder(HINSTANCE instance, RecorderVariant& variant);

}  // namespace suite
