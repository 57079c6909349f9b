// The settings file as both recorders load it at start-up: any bytes under
// the settings file's name, read into the line recorder's and the handset
// recorder's records, then written back as at exit.
#include "common/settings_record.h"
#include "handset/handset_pass_config.h"
#include "recorder/recording_pass.h"
#include "tests/fuzz/fuzz_folder.h"

namespace {
const char kPath[] = "settings.ini";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    suite_fuzz::EnterFuzzFolder();
    const suite::WorkArea area{0, 0, 1024, 768};
    suite_fuzz::WriteFile(kPath, data, size);
    suite::SettingsRecord line;
    if (suite::LoadLineSettings(kPath, area, &line) == suite::LoadOutcome::Read) {
        // What start-up takes from the record: the chosen folder, the pass's settings.
        line.record_folder().Set(line.ChosenFolder());
        suite::PassConfig config = suite::LinePassConfig(&line);
        (void)config;
        suite::SaveSettingsOnExit(kPath, line);
    }
    suite_fuzz::WriteFile(kPath, data, size);
    suite::HandsetSettingsRecord handset;
    if (suite::LoadHandsetSettings(kPath, area, &handset) == suite::LoadOutcome::Read) {
        suite::PassConfig config = suite::HandsetPassConfig(&handset);
        (void)config;
        suite::SaveRecorderSettingsOnExit(kPath, handset);
    }
    return 0;
}
