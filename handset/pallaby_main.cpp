// Pallaby, the handset recorder: the recorder skeleton with the handset's
// parts. The adapter sits in the handset cord, so there are no line
// signals, no numbers and no phone book; recordings are named by date and
// time.
#include <windows.h>

#include "common/program_folder_win32.h"
#include "handset/handset_pass_config.h"
#include "recorder/recorder_program_win32.h"

namespace suite {
namespace {

class HandsetRecorderParts : public RecorderVariant {
public:
    const char* ProgramName() const override { return "Pallaby"; }
    RecorderSettings& Settings() override { return settings_; }

    LoadOutcome LoadSettings(const WorkArea& area) override {
        return LoadHandsetSettings(kSettingsFilePath, area, &settings_);
    }

    bool IsLineRecorder() const override { return false; }
    const WarningBarLayout& BarLayout() const override { return kHandsetWarningBar; }
    bool RegisterClasses(HINSTANCE) override { return true; }
    bool ConfirmWorkFolder() override { return true; }
    void DeriveWorkingValues() override {}
    void StartParts(HINSTANCE, HWND, RecorderShared&) override {}
    PassConfig MakePassConfig() override { return HandsetPassConfig(&settings_); }
    bool PrimesDecoders() const override { return false; }
    void TickBeforeConnection(RecorderTick&, NumberField&) override {}
    void OnPhoneBookButton() override {}
    bool InfoBoardOpen() override { return false; }
    void CloseParts() override {}
    void StoreExitFields() override {}
    const char* BrowserChooserTitle() const override { return "通話記録フォルダーの選択"; }
    // No settings editor: the option is in the main window's menu.
    const char16_t* RunEntryName() const override { return u"Pallaby"; }

private:
    HandsetSettingsRecord settings_;
};

}  // namespace
}  // namespace suite

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!suite::EnterProgramFolder("Pallaby")) return 0;
    // Never destroyed: a recording thread that did not end at exit may still
    // reach the settings through the pass.
    auto* recorder = new suite::HandsetRecorderParts;
    return suite::RunRecorder(instance, *recorder);
}
