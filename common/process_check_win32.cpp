#include "common/process_check.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>

namespace suite {
namespace {

constexpr DWORD kMaxProcesses = 1024;

class ProcessHandle {
public:
    explicit ProcessHandle(DWORD id) : handle_(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id)) {}
    ~ProcessHandle() {
        if (handle_) CloseHandle(handle_);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Base name of the process's first module in code page 932, whatever the
// system code page; false when the process cannot be inspected.
bool FirstModuleBaseName(DWORD id, char* name, int size) {
    ProcessHandle process(id);
    if (!process.get()) return false;
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(process.get(), &module, sizeof module, &needed) || needed == 0) return false;
    WCHAR wide[MAX_PATH];
    if (GetModuleBaseNameW(process.get(), module, wide, MAX_PATH) == 0) return false;
    return WideCharToMultiByte(932, 0, wide, -1, name, size, nullptr, nullptr) > 0;
}

}  // namespace

int CountProcessesNamed(const char* baseName) {
    DWORD ids[kMaxProcesses];
    DWORD bytes = 0;
    if (!EnumProcesses(ids, sizeof ids, &bytes)) return 0;
    int count = 0;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        char name[MAX_PATH * 2];
        if (FirstModuleBaseName(ids[i], name, sizeof name) && std::strcmp(name, baseName) == 0) ++count;
    }
    return count;
}

}  // namespace suite
