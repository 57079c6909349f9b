// The Run value of one program in the current user's registry: read,
// written and removed by the start-with-Windows option.
#pragma once
#include <windows.h>

#include <string>

#include "common/run_entry.h"

namespace suite {

struct RunEntry {
    std::u16string name;     // the value's name ("Corvinet", "Pallaby")
    std::u16string exePath;  // full path of the executable it starts
};

// Full path of the running executable.
std::u16string ThisProgramPath();

// Whose the value is now.
RunEntryOwner ReadRunEntry(const RunEntry& entry);

// The option ticked (on) or cleared by the user: writes this copy's value
// or removes it. Another program's value is replaced only when the user
// agrees (a question owned by owner) and is never removed. Returns whose the
// value is afterwards.
RunEntryOwner ChangeRunEntry(const RunEntry& entry, bool on, HWND owner);

}  // namespace suite
