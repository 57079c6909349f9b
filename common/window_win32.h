// Small Win32 window helpers shared by the programs' windows.
#pragma once
#include <windows.h>

#include "common/settings_file.h"
#include "common/suite_resources.h"

namespace suite {

// The desktop work area (screen minus task bar) that window places and
// settings defaults are made from.
inline WorkArea CurrentWorkArea() {
    RECT r = {0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return WorkArea{r.left, r.top, r.right, r.bottom};
}

// Registers a window class of the suite: arrow cursor, the program icon
// (IDI_APP) unless withIcon is false, the given background brush (owned by
// the caller for the class's lifetime) and class style. False on failure,
// also when the class exists already.
inline bool RegisterSuiteWindowClass(HINSTANCE instance, LPCWSTR name, WNDPROC proc, HBRUSH background,
                                     UINT style = CS_HREDRAW | CS_VREDRAW, bool withIcon = true) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    if (withIcon) wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

// The state a window was created with (the creation parameter), kept in
// its user data from WM_NCCREATE to WM_NCDESTROY; nullptr for the messages
// before it. At WM_NCDESTROY, the window's last message, the user data is
// cleared and the state returned once more for the window's own clean-up.
template <class State>
State* WindowState(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created->lpCreateParams));
    }
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return state;
}

}  // namespace suite
