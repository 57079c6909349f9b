// The program's own folder: every relative name of the suite (the settings,
// the phone book, "非常用フォルダー", a relative record folder) is taken
// from it, whatever folder the program was started from.
#pragma once
#include <string>

namespace suite {

// Whether a file can be made in folder ("" is the current folder; otherwise
// ending in "\"): probeName is created there and removed at once.
bool CanCreateFileIn(const std::string& folder, const std::string& probeName);

}  // namespace suite
