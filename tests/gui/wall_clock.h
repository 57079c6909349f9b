// The wall clock as the shell's `date +%s.%N` reads it, from a Wine
// program: the GUI tests set times taken on both sides against each other.
#pragma once
#include <windows.h>

inline double UnixSeconds() {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return (static_cast<double>(t.QuadPart) - 116444736000000000.0) / 1e7;
}
