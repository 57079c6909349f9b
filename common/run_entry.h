// Starting a program when the user logs on to Windows: a value under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Run holding the quoted
// full path of the executable. Whose such a value is decides what the
// option shows: a second copy elsewhere on the disk never takes over the
// first one's value without the user's say.
#pragma once
#include <string>

namespace suite {

enum class RunEntryOwner {
    None,       // no value
    ThisCopy,   // the value starts this executable
    OtherCopy,  // the value starts something else (another copy, or anything)
};

// The value that starts exePath (UTF-16, full path): the path in quotes,
// so that folders with spaces start the right program.
std::u16string RunEntryCommand(const std::u16string& exePath);

// Whose value is (null: there is none). Paths compare as Windows does:
// letters without case, "/" as "\"; quotes and arguments are not part of
// the path.
RunEntryOwner OwnerOfRunEntry(const std::u16string* value, const std::u16string& exePath);

}  // namespace suite
