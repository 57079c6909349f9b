// Corvinet, the line recorder: the recorder skeleton with the line's own
// parts (the settings record of the line recorder, the work folder, the
// phone book with its call board, the line signal decoders and the number
// hand-over).
#include <windows.h>

#include <memory>
#include <string>

#include "common/program_folder_win32.h"
#include "common/settings_record.h"
#include "common/win32_text.h"
#include "phonebook/info_board.h"
#include "phonebook/info_board_window.h"
#include "phonebook/phone_book.h"
#include "phonebook/phone_book_list_window.h"
#include "recorder/recorder_program_win32.h"
#include "ui/warning_bar_window.h"

namespace suite {
namespace {

class LineRecorderParts : public RecorderVariant {
public:
    const char* ProgramName() const override { return "Corvinet"; }
    RecorderSettings& Settings() override { return settings_; }

    LoadOutcome LoadSettings(const WorkArea& area) override {
        return LoadLineSettings(kSettingsFilePath, area, &settings_);
    }

    bool IsLineRecorder() const override { return true; }
    const WarningBarLayout& BarLayout() const override { return kLineWarningBar; }

    bool RegisterClasses(HINSTANCE instance) override {
        return RegisterInfoBoardClass(instance) && RegisterPhoneBookListClasses(instance);
    }

    // Start-up step 4: a missing work folder is asked about.
    bool ConfirmWorkFolder() override {
        workFolder_ = settings_.work_folder().Get();
        if (IsFolder(workFolder_)) return true;
        if (!AskResetMissingWorkFolder(workFolder_)) return false;
        workFolder_ = kWorkFolderName;
        return true;
    }

    void DeriveWorkingValues() override {
        numberOutput_ =
            NumberOutputFromSetting(settings_.number_output_path().Get());
    }

    void StartParts(HINSTANCE instance, HWND mainWindow, RecorderShared& shared) override {
        shared_ = &shared;
        book_.OpenPhoneBook(workFolder_);
        smallFont_.Reset(CreateGothicFont(14, 7));
        boardWindow_ = std::make_unique<InfoBoardWindow>(instance, mainWindow, smallFont_.get());
        board_ = std::make_unique<InfoBoard>(settings_, book_, *boardWindow_);
        boardWindow_->Attach(board_.get());
        listWindow_ = std::make_unique<PhoneBookListWindow>(instance, settings_, book_, workFolder_, *board_);
    }

    PassConfig MakePassConfig() override { return LinePassConfig(&settings_); }
    bool PrimesDecoders() const override { return true; }

    void TickBeforeConnection(RecorderTick& tick, NumberField& numberField) override {
        // 1. Information board upkeep.
        board_->Upkeep();
        // 2. Number hand-over; the board decides about itself by its mode.
        if (shared_->NumberReady.load() != 0) {
            HandOver h = tick.HandOverNumber(book_.IsOpen() ? &book_ : nullptr, numberOutput_,
                                             settings_.info_board_mode(), board_->IsOpen());
            if (h.showNumber) numberField.Show(h.fieldText);
            if (h.lookedUp && book_.IsOpen()) board_->HandOver(h.boardNumber, h.request);
        }
        // 3. Phone book deletion and board save requests.
        board_->ProcessRequests();
    }

    // Tick step 9: a request opens the list; while it is open the list tick runs.
    void TickPhoneBookList() override {
        if (phoneBookRequest_ == 1) {
            listWindow_->Open();
            phoneBookRequest_ = listWindow_->IsOpen() ? 2 : 0;
        } else if (phoneBookRequest_ == 2) {
            listWindow_->Tick();
            if (!listWindow_->IsOpen()) phoneBookRequest_ = 0;
        }
    }

    void OnPhoneBookButton() override {
        // A list closed since the last tick counts as none.
        if (phoneBookRequest_ == 0 || (phoneBookRequest_ == 2 && !listWindow_->IsOpen())) phoneBookRequest_ = 1;
    }
    bool InfoBoardOpen() override { return board_ && board_->IsOpen(); }

    void CloseParts() override {
        if (listWindow_) listWindow_->CloseAtExit();
        if (board_) board_->Close();
        book_.ClosePhoneBook();
        // The board's window goes on this thread, while it still exists.
        listWindow_.reset();
        board_.reset();
        boardWindow_.reset();
    }

    void StoreExitFields() override {
        settings_.work_folder().Set(workFolder_);
    }

private:
    SettingsRecord settings_;
    std::string workFolder_;  // working copy of work_folder
    NumberOutputTarget numberOutput_;
    RecorderShared* shared_ = nullptr;
    MessageBoxPhoneBookMessages bookMessages_;
    PhoneBook book_{bookMessages_};
    GdiObject<HFONT> smallFont_;  // 14 x 7, the call board's buttons
    std::unique_ptr<InfoBoardWindow> boardWindow_;
    std::unique_ptr<InfoBoard> board_;
    std::unique_ptr<PhoneBookListWindow> listWindow_;
    int phoneBookRequest_ = 0;  // 1 asked for, 2 the list is open
};

}  // namespace
}  // namespace suite

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!suite::EnterProgramFolder("Corvinet")) return 0;
    // Never destroyed: a recording thread that did not end at exit may still
    // reach the phone book through the pass.
    auto* recorder = new suite::LineRecorderParts;
    return suite::RunRecorder(instance, *recorder);
}
