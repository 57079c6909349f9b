#include "ui/warning_bar_window.h"

#include "ui/message_texts.h"
#include "common/text_convert.h"
#include "common/window_win32.h"

namespace suite {
namespace {

constexpr int kCloseButton = 115;
const COLORREF kRed = RGB(255, 0, 0);
const char16_t kClassNameText[] = u"メッセージボックス";
const LPCWSTR kClassName = reinterpret_cast<LPCWSTR>(kClassNameText);

void OnCreate(HWND hwnd, const WarningBarLayout& layout);
void OnPaint(HWND hwnd, HFONT font, const char* line1, const char* line2);

}  // namespace

// Tall enough for the 24-pixel line drawn 9 pixels from the top.
const WarningBarLayout kLineWarningBar = {780, 40, false};
const WarningBarLayout kHandsetWarningBar = {760, 120, true};

LRESULT CALLBACK WarningBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WarningBar* bar = WindowState<WarningBar>(hwnd, message, lParam);
    if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: OnCreate(hwnd, bar->layout_); return 0;
        case WM_PAINT:
            OnPaint(hwnd, bar->textFont_.get(), bar->text_ ? bar->text_ : kAlertBarText,
                    bar->layout_.handset && bar->text_ != kDiskFullBarText ? kHandsetBarLine2 : nullptr);
            return 0;
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

void OnCreate(HWND hwnd, const WarningBarLayout& layout) {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left) / 2 - layout.width / 2;
    int y = work.top + (work.bottom - work.top) / 2 - layout.height / 2;
    // The line recorder's bar is a thin bordered strip: no caption, no
    // sizing frame. The handset's keeps its caption and close box.
    if (!layout.handset) SetWindowLongPtrW(hwnd, GWL_STYLE, WS_POPUP | WS_BORDER);
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, layout.width, layout.height, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void OnPaint(HWND hwnd, HFONT font, const char* line1, const char* line2) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SelectIn select(dc, font);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kRed);
    SetTextColor(dc, RGB(0, 0, 0));
    std::u16string text = SjisToUtf16(line1);
    TextOutW(dc, 6, 9, AsWide(text), static_cast<int>(text.size()));
    if (line2) {
        text = SjisToUtf16(line2);
        TextOutW(dc, 6, 40, AsWide(text), static_cast<int>(text.size()));
    }
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

bool WarningBar::Raise(const char* text) {
    if (window_) return false;
    text_ = text;
    if (alarm_) alarm_->Begin();
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE));
    if (!textFont_.get()) textFont_.Reset(CreateGothicFont(24, 12));
    if (!buttonFont_.get())
        buttonFont_.Reset(CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      VARIABLE_PITCH | FF_SWISS, AsWide(u"ＭＳ Ｐゴシック")));
    const DWORD style = layout_.handset ? WS_POPUP | WS_CAPTION | WS_SYSMENU : WS_POPUP | WS_CAPTION | WS_THICKFRAME;
    HWND bar = CreateWindowExW(0, kClassName, layout_.handset ? L"" : AsWide(SjisToUtf16(kAlertBarCaption)), style, 0,
                               0, layout_.width, layout_.height, owner_, nullptr, instance, this);
    if (!bar) {
        // Nothing on screen could stop the sound: let it go now.
        if (alarm_) alarm_->End();
        return false;
    }
    window_ = bar;
    ShowWindow(bar, SW_SHOW);
    UpdateWindow(bar);
    if (layout_.handset) return true;
    HWND button = CreateWindowExW(0, L"BUTTON", AsWide(SjisToUtf16("×")), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                                  0, 0, 0, bar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCloseButton)), instance,
                                  nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), FALSE);
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

void WarningBar::Tick(std::atomic<int32_t>& savedToEmergency, std::atomic<int32_t>& diskFull) {
    if ((savedToEmergency.load() == 0 && diskFull.load() == 0) || window_) return;
    // A full disk is the cause to name, also when it sent the recording to
    // the emergency folder.
    const char* first = layout_.handset ? kHandsetBarLine1 : kAlertBarText;
    Raise(diskFull.load() != 0 ? kDiskFullBarText : first);
    savedToEmergency = 0;
    diskFull = 0;
}

bool AskResetMissingWorkFolder(const std::string& folderSjis) {
    return ShowMessage(nullptr, MissingWorkFolderText(folderSjis).c_str(), kStartupErrorCaption,
                       MB_YESNO | MB_ICONERROR | MB_TOPMOST) == IDYES;
}

void ShowNoAudioInputMessage(HWND mainWindow) {
    ShowMessage(mainWindow, kNoAudioInputText, "", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace suite
