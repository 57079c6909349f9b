// The program's own folder on Windows, found from the module's path.
#pragma once
#include <string>

namespace suite {

// The folder of the running program with its "\" at the end (Shift-JIS),
// split at a character start; empty when it has no Shift-JIS form.
std::string ProgramFolder();

// The program's first step: its folder becomes the current folder, so every
// relative name is the program's own however it was started (a shortcut's
// working folder, the Run key, a script elsewhere). A folder the program
// cannot write is told to the user, and false ends the program.
bool EnterProgramFolder(const char* programName);

}  // namespace suite
