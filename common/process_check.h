// Looking for a running program by its module name.
#pragma once

namespace suite {

// Module base name of the running line recorder.
constexpr char kLineRecorderProcessName[] = "Corvinet.exe";

// Number of running processes (of the first 1024 listed) whose first
// module's base name equals baseName byte for byte (Shift-JIS).
int CountProcessesNamed(const char* baseName);

// True when at least one such process is running.
inline bool IsProcessRunning(const char* baseName) { return CountProcessesNamed(baseName) > 0; }

}  // namespace suite
