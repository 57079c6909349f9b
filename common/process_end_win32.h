// Ending a program once its own clean-up is done.
#pragma once
#include <windows.h>

namespace suite {

// Ends the process with code, without the modules' detach or the C
// runtime's exit handlers: only for when everything the program writes is
// written and closed. Under Wine the sound driver's detach frees its server
// connection after the exit has killed the thread that drives it, and the
// process crashed now and then after a clean close.
[[noreturn]] inline void EndProcessAfterCleanUp(UINT code) {
    TerminateProcess(GetCurrentProcess(), code);
    ExitProcess(code);  // not reached: kept for the compiler's noreturn
}

}  // namespace suite
