#include "warning_bar_window.h"

#include "message_texts.h"
#include "common/text_convert.h"
#include "common/win32_text.h"

namespace suite {
namespace {

constexpr int kCloseButton = 115;
constexpr int kBarWidth = 780;
// Tall enough for the 24-pixel line drawn 9 pixels from the top.
constexpr int kBarHeight = 40;
const COLORREF kRed = RGB(255, 0, 0);
const char16_t kClassNameText[] = u"メッセージボックス";
const LPCWSTR kClassName = reinterpret_cast<LPCWSTR>(kClassNameText);

struct AlertState {
    HWND window = nullptr;  // the open bar, or none
    WarningAlarm* alarm = nullptr;
    GdiObject<HFONT> textFont;
    GdiObject<HFONT> buttonFont;
};
AlertState a;

void OnCreate(HWND hwnd);
void OnPaint(HWND hwnd);
void OnClose(HWND hwnd);

LRESULT CALLBACK AlertPopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(hwnd); return 0;
        case WM_PAINT:
            if (a.window) {
                OnPaint(hwnd);
                return 0;
            }
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == kCloseButton) {
                OnClose(hwnd);
                return 0;
            }
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void OnCreate(HWND hwnd) {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left) / 2 - kBarWidth / 2;
    int y = work.top + (work.bottom - work.top) / 2 - kBarHeight / 2;
    // A thin bordered strip: no caption, no sizing frame.
    SetWindowLongPtrW(hwnd, GWL_STYLE, WS_POPUP | WS_BORDER);
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, kBarWidth, kBarHeight, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SelectIn select(dc, a.textFont.get());
    std::u16string text = SjisToUtf16(kAlertBarText);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kRed);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, 6, 9, AsWide(text), static_cast<int>(text.size()));
    EndPaint(hwnd, &ps);
}

void OnClose(HWND hwnd) {
    if (a.alarm) a.alarm->End();
    a.alarm = nullptr;
    a.window = nullptr;
    DestroyWindow(hwnd);
}

}  // namespace

bool RegisterAlertPopupClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = AlertPopupProc;
    wc.cbWndExtra = 30;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(kRed);  // lives as long as the class
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

bool RaiseAlertPopup(HWND owner, WarningAlarm* alarm) {
    if (a.window) return false;
    if (alarm) alarm->Begin();
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    if (!a.textFont.get()) a.textFont.Reset(CreateGothicFont(24, 12));
    if (!a.buttonFont.get())
        a.buttonFont.Reset(CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       VARIABLE_PITCH | FF_SWISS, AsWide(u"ＭＳ Ｐゴシック")));
    HWND bar = CreateWindowExW(0, kClassName, AsWide(SjisToUtf16(kAlertBarCaption)),
                               WS_POPUP | WS_CAPTION | WS_THICKFRAME, 0, 0, kBarWidth, kBarHeight, owner, nullptr,
                               instance, nullptr);
    if (!bar) {
        // Nothing on screen could stop the sound: let it go now.
        if (alarm) alarm->End();
        return false;
    }
    a.window = bar;
    a.alarm = alarm;
    HWND button = CreateWindowExW(0, L"BUTTON", AsWide(SjisToUtf16("×")), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                                  0, 0, 0, bar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCloseButton)), instance,
                                  nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(a.buttonFont.get()), FALSE);
    ShowWindow(bar, SW_SHOW);
    UpdateWindow(bar);
    MoveWindow(button, 758, 4, 16, 16, TRUE);
    return true;
}

bool AlertPopupOpen() { return a.window != nullptr; }

HWND AlertPopupWindow() { return a.window; }

void AlertPopupTick(HWND owner, WarningAlarm* alarm, std::atomic<int32_t>& savedToEmergency) {
    if (savedToEmergency.load() == 0 || a.window) return;
    RaiseAlertPopup(owner, alarm);
    savedToEmergency = 0;
}

bool AskResetMissingWorkFolder(const std::string& folderSjis) {
    return ShowMessage(nullptr, MissingWorkFolderText(folderSjis).c_str(), kStartupErrorCaption,
                       MB_YESNO | MB_ICONERROR | MB_TOPMOST) == IDYES;
}

void ShowNoAudioInputMessage(HWND mainWindow) {
    ShowMessage(mainWindow, kNoAudioInputText, "", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace suite
