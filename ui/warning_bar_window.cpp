#include "warning_bar_window.h"

#include "message_texts.h"
#include "common/text_convert.h"
#include "common/window_win32.h"

namespace suite {
namespace {

constexpr int kCloseButton = 115;
constexpr int kBarWidth = 780;
// Tall enough for the 24-pixel line drawn 9 pixels from the top.
constexpr int kBarHeight = 40;
const COLORREF kRed = RGB(255, 0, 0);
const char16_t kClassNameText[] = u"メッセージボックス";
const LPCWSTR kClassName = reinterpret_cast<LPCWSTR>(kClassNameText);

void OnCreate(HWND hwnd);
void OnPaint(HWND hwnd, HFONT font);

}  // namespace

LRESULT CALLBACK WarningBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WarningBar* bar = WindowState<WarningBar>(hwnd, message, lParam);
    if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: OnCreate(hwnd); return 0;
        case WM_PAINT: OnPaint(hwnd, bar->textFont_.get()); return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kCloseButton) {
                bar->Close();
                return 0;
            }
            break;
        // Alt+F4 or any other close ends the bar as its "×" does.
        case WM_CLOSE: bar->Close(); return 0;
        case WM_DESTROY: bar->OnDestroyed(hwnd); break;
        case WM_NCDESTROY: SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

namespace {

void OnCreate(HWND hwnd) {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left) / 2 - kBarWidth / 2;
    int y = work.top + (work.bottom - work.top) / 2 - kBarHeight / 2;
    // A thin bordered strip: no caption, no sizing frame.
    SetWindowLongPtrW(hwnd, GWL_STYLE, WS_POPUP | WS_BORDER);
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, kBarWidth, kBarHeight, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void OnPaint(HWND hwnd, HFONT font) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SelectIn select(dc, font);
    std::u16string text = SjisToUtf16(kAlertBarText);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kRed);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, 6, 9, AsWide(text), static_cast<int>(text.size()));
    EndPaint(hwnd, &ps);
}

}  // namespace

bool RegisterWarningBarClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WarningBarProc;
    wc.cbWndExtra = 30;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(kRed);  // lives as long as the class
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

WarningBar::~WarningBar() {
    if (window_) Close();
}

bool WarningBar::Raise() {
    if (window_) return false;
    if (alarm_) alarm_->Begin();
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE));
    if (!textFont_.get()) textFont_.Reset(CreateGothicFont(24, 12));
    if (!buttonFont_.get())
        buttonFont_.Reset(CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      VARIABLE_PITCH | FF_SWISS, AsWide(u"ＭＳ Ｐゴシック")));
    HWND bar = CreateWindowExW(0, kClassName, AsWide(SjisToUtf16(kAlertBarCaption)),
                               WS_POPUP | WS_CAPTION | WS_THICKFRAME, 0, 0, kBarWidth, kBarHeight, owner_, nullptr,
                               instance, this);
    if (!bar) {
        // Nothing on screen could stop the sound: let it go now.
        if (alarm_) alarm_->End();
        return false;
    }
    window_ = bar;
    HWND button = CreateWindowExW(0, L"BUTTON", AsWide(SjisToUtf16("×")), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                                  0, 0, 0, bar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCloseButton)), instance,
                                  nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), FALSE);
    ShowWindow(bar, SW_SHOW);
    UpdateWindow(bar);
    MoveWindow(button, 758, 4, 16, 16, TRUE);
    return true;
}

void WarningBar::Close() {
    if (!window_) return;
    if (alarm_) alarm_->End();
    HWND bar = window_;
    window_ = nullptr;
    DestroyWindow(bar);
}

void WarningBar::OnDestroyed(HWND bar) {
    // Destroyed from outside (its owner went first): the alarm still ends.
    if (bar != window_) return;
    window_ = nullptr;
    if (alarm_) alarm_->End();
}

void WarningBar::Tick(std::atomic<int32_t>& savedToEmergency) {
    if (savedToEmergency.load() == 0 || window_) return;
    Raise();
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
