// A record folder as `recordings list` (and the browser's list) reads it:
// the input is the sort and format, then files, each a name (one byte of
// length) and its bytes (two bytes of length); names are kept to one level
// ("/" becomes "_") and may be anything else, with or without a ".".
#include <sys/stat.h>

#include <sstream>

#include "browser/recordings_tool.h"
#include "tests/fuzz/fuzz_folder.h"

namespace {
const char kFolder[] = "records";
const char* const kFormats[] = {"tsv", "csv", "json"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    suite_fuzz::EnterFuzzFolder();
    mkdir(kFolder, 0755);
    suite_fuzz::EmptyFolder(kFolder);
    suite_fuzz::InputParts in(data, size);
    uint8_t choice = in.Byte();
    for (int files = 0; files < 16; ++files) {
        std::vector<uint8_t> nameBytes = in.Take(in.Byte());
        if (nameBytes.empty()) break;
        std::string name(nameBytes.begin(), nameBytes.end());
        for (char& c : name) {
            if (c == '/' || c == '\0') c = '_';
        }
        if (name == "." || name == "..") name += "_";
        std::vector<uint8_t> bytes = in.Take(in.U16());
        suite_fuzz::WriteFile(std::string(kFolder) + "/" + name, bytes.data(), bytes.size());
    }
    std::ostringstream out, err;
    suite::RunRecordingsTool({"list", kFolder, "--sort", std::to_string(1 + choice % 4), "--format",
                              kFormats[(choice / 4) % 3]},
                             out, err);
    return 0;
}
