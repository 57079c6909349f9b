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

// A window class of the suite. Left as they are, the members give: redraw
// on resizing, no extra window bytes, the program icon (IDI_APP), no small
// icon of its own, the arrow cursor and no background.
struct SuiteWindowClass {
    LPCWSTR name;
    WNDPROC proc;
    HBRUSH background = nullptr;  // kept by the caller as long as the class
    UINT style = CS_HREDRAW | CS_VREDRAW;
    int extraBytes = 0;      // cbWndExtra
    int icon = IDI_APP;      // resource id of the class icon; 0 for none
    bool smallIcon = false;  // the icon also given as the small one
    bool arrowCursor = true;
};

// Registers the class. False on failure, also when the class exists already.
inline bool RegisterSuiteWindowClass(HINSTANCE instance, const SuiteWindowClass& c) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = c.style;
    wc.lpfnWndProc = c.proc;
    wc.cbWndExtra = c.extraBytes;
    wc.hInstance = instance;
    if (c.icon != 0) wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(c.icon));
    if (c.smallIcon) wc.hIconSm = wc.hIcon;
    if (c.arrowCursor) wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = c.background;
    wc.lpszClassName = c.name;
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

// As WindowState, for a window that owns its state: the state is made at
// WM_NCCREATE as State(params), params being the creation parameter (a
// const Params*), and deleted at WM_NCDESTROY before the procedure sees
// that message (nullptr then, as before WM_NCCREATE). A creation that fails
// after WM_NCCREATE still sends WM_NCDESTROY: the state never outlives the
// window, and the caller has nothing to free.
template <class State, class Params>
State* OwnedWindowState(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        const auto* params = static_cast<const Params*>(created->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new State(*params)));
    }
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message != WM_NCDESTROY) return state;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete state;
    return nullptr;
}

// The state bound to a window of ours by WindowState or OwnedWindowState;
// nullptr once the window is gone.
template <class State>
State* BoundWindowState(HWND hwnd) {
    return IsWindow(hwnd) ? reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

}  // namespace suite
