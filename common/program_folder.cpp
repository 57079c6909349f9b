#include "common/program_folder.h"

#include "common/file_layer.h"

namespace suite {

bool CanCreateFileIn(const std::string& folder, const std::string& probeName) {
    const std::string path = folder + probeName;
    File probe;
    if (!probe.Open(path, File::Mode::CreateAlways)) return false;
    probe.Close();
    DeleteFilePath(path);
    return true;
}

}  // namespace suite
