// Times the browser's rebuild under Wine: the folder's scan, the sort and
// the fill of the drop-down list, in each order (not a test).
//   browser_rebuild_bench FOLDER\   (Shift-JIS path as the settings hold it)
#include <windows.h>

#include <cstdio>
#include <string>

#include "browser/browser_window.h"
#include "browser/recording_list.h"
#include "common/win32_text.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: browser_rebuild_bench FOLDER\\\n");
        return 2;
    }
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 620, 210, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, 8, 50,
                                 470, 256, owner, nullptr, nullptr, nullptr);
    if (!combo) return 1;
    suite::RecordingList list;
    list.SetFolder(argv[1]);
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    for (uint8_t sort = 1; sort <= 4; ++sort) {
        QueryPerformanceCounter(&t0);
        list.Rebuild(sort, 0, "", 0);
        suite::ShowListRows(combo, list, 604);
        QueryPerformanceCounter(&t1);
        std::printf("order %d: %zu rows, %.0f ms\n", sort, list.rows().size(),
                    1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart));
    }
    DestroyWindow(owner);
    return 0;
}
