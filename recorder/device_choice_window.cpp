#include "recorder/device_choice_window.h"

#include "common/win32_text.h"
#include "common/window_win32.h"

namespace suite {
namespace {

constexpr int kDeviceListId = 5000;
constexpr int kHideCheckId = 5001;
constexpr int kClientWidth = 440, kClientHeight = 140;
const COLORREF kBackground = RGB(200, 200, 200);

struct ChoiceWindowState {
    DeviceChoiceList* list = nullptr;
    HWND combo = nullptr;
    HWND check = nullptr;
    GdiObject<HFONT> font;
    bool done = false;
};

void OnCreate(HWND hwnd, ChoiceWindowState& s);
void OnCommand(ChoiceWindowState& s, int id, int code);
void OnPaint(HWND hwnd, ChoiceWindowState& s);

LRESULT CALLBACK ChoiceWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = WindowState<ChoiceWindowState>(hwnd, message, lParam);
    if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: OnCreate(hwnd, *s); return 0;
        case WM_COMMAND: OnCommand(*s, LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_PAINT: OnPaint(hwnd, *s); return 0;
        case WM_CTLCOLORSTATIC:  // the check box on the window's grey
            SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
            return static_cast<LRESULT>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
        case WM_DESTROY: s->done = true; return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void OnCreate(HWND hwnd, ChoiceWindowState& s) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    s.font.Reset(CreateGothicFont(16, 8));
    s.combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 12, 50,
                              400, 200, hwnd, reinterpret_cast<HMENU>(kDeviceListId), instance, nullptr);
    s.check = CreateWindowExW(0, L"BUTTON", AsWide(SjisToUtf16(kChoiceCheckLabel)),
                              WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 12, 90, 400, 20, hwnd,
                              reinterpret_cast<HMENU>(kHideCheckId), instance, nullptr);
    SendMessageW(s.combo, WM_SETFONT, reinterpret_cast<WPARAM>(s.font.get()), FALSE);
    SendMessageW(s.check, WM_SETFONT, reinterpret_cast<WPARAM>(s.font.get()), FALSE);
    for (const DeviceEntry& e : s.list->Entries()) {
        SendMessageW(s.combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(SjisToUtf16(e.name))));
    }
    int selected = s.list->Preselect();
    if (selected >= 0) SendMessageW(s.combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void OnCommand(ChoiceWindowState& s, int id, int code) {
    if (id == kDeviceListId && code == CBN_SELCHANGE) {
        s.list->Select(static_cast<int>(SendMessageW(s.combo, CB_GETCURSEL, 0, 0)));
    }
    s.list->SetCheckBox(SendMessageW(s.check, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

// The two lines of guidance, in the list's font.
void OnPaint(HWND hwnd, ChoiceWindowState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SetBkColor(dc, kBackground);
    SetTextColor(dc, RGB(0, 0, 0));
    SelectIn select(dc, s.font.get());
    std::u16string line1 = SjisToUtf16(kChoiceLine1), line2 = SjisToUtf16(kChoiceLine2);
    TextOutW(dc, 10, 10, AsWide(line1), static_cast<int>(line1.size()));
    TextOutW(dc, 10, 30, AsWide(line2), static_cast<int>(line2.size()));
    EndPaint(hwnd, &ps);
}

}  // namespace

void RunDeviceChoiceWindow(HINSTANCE instance, DeviceChoiceList* list) {
    std::u16string className = SjisToUtf16(kChoiceWindowClass);
    GdiObject<HBRUSH> background(CreateSolidBrush(kBackground));
    SuiteWindowClass windowClass{AsWide(className), ChoiceWindowProc, background.get()};
    windowClass.style = 0;
    if (!RegisterSuiteWindowClass(instance, windowClass)) {
        list->Preselect();  // at least a device to try
        return;
    }

    const DWORD style = WS_CAPTION | WS_SYSMENU;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work = {0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;

    ChoiceWindowState state;
    state.list = list;
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, AsWide(className), AsWide(SjisToUtf16(kChoiceWindowTitle)), style, x,
                                y, width, height, nullptr, nullptr, instance, &state);
    if (!hwnd) {
        list->Preselect();  // at least a device to try
        UnregisterClassW(AsWide(className), instance);
        return;
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    // Blocking waits deliver the same messages as polling, without the cost.
    MSG msg;
    while (!state.done) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
            break;
        }
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    UnregisterClassW(AsWide(className), instance);
}

}  // namespace suite
