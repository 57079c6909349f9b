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

void OnCreate(HWND hwnd, const WarningBarLayout& layout, bool twoLines);
void OnPaint(HWND hwnd, HFONT font, const std::string& line1, const std::string& line2);
constexpr int kLineStep = 31;  // pixels from one line of the bar to the next

}  // namespace

// Tall enough for the 24-pixel line drawn 9 pixels from the top.
const WarningBarLayout kLineWarningBar = {780, 40, false};
const WarningBarLayout kHandsetWarningBar = {760, 120, true};

LRESULT CALLBACK WarningBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WarningBar* bar = WindowState<WarningBar>(hwnd, message, lParam);
    if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: OnCreate(hwnd, bar->layout_, !bar->text_.line2.empty()); return 0;
        case WM_PAINT: OnPaint(hwnd, bar->textFont_.get(), bar->text_.line1, bar->text_.line2); return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kCloseButton) {
                bar->Close();
                return 0;
            }
            break;
        // Alt+F4 or any other close ends the bar as its "×" does.
        case WM_CLOSE: bar->Close(); return 0;
        case WM_DESTROY: bar->OnDestroyed(hwnd); break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

namespace {

void OnCreate(HWND hwnd, const WarningBarLayout& layout, bool twoLines) {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The line recorder's strip grows by a line for a second one.
    const int height = layout.height + (twoLines && !layout.handset ? kLineStep : 0);
    int x = work.left + (work.right - work.left) / 2 - layout.width / 2;
    int y = work.top + (work.bottom - work.top) / 2 - height / 2;
    // The line recorder's bar is a thin bordered strip: no caption, no
    // sizing frame. The handset's keeps its caption and close box.
    if (!layout.handset) SetWindowLongPtrW(hwnd, GWL_STYLE, WS_POPUP | WS_BORDER);
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, layout.width, height, SWP_FRAMECHANGED);
}

void OnPaint(HWND hwnd, HFONT font, const std::string& line1, const std::string& line2) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SelectIn select(dc, font);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kRed);
    SetTextColor(dc, RGB(0, 0, 0));
    std::u16string text = SjisToUtf16(line1);
    TextOutW(dc, 6, 9, AsWide(text), static_cast<int>(text.size()));
    if (!line2.empty()) {
        // A long folder keeps its last part; the middle gives way.
        RECT client;
        GetClientRect(hwnd, &client);
        RECT r{6, 9 + kLineStep, client.right - 6, 9 + 2 * kLineStep};
        text = SjisToUtf16(line2);
        DrawTextW(dc, AsWide(text), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    }
    EndPaint(hwnd, &ps);
}

}  // namespace

bool RegisterWarningBarClass(HINSTANCE instance) {
    SuiteWindowClass bar{kClassName, WarningBarProc, CreateSolidBrush(kRed)};  // the brush lives as long as the class
    bar.extraBytes = 30;
    bar.icon = 0;
    return RegisterSuiteWindowClass(instance, bar);
}

WarningBar::~WarningBar() {
    if (window_) Close();
}

bool WarningBar::Raise(BarWarning kind, const std::string& line1, const std::string& line2) {
    if (window_) return false;
    kind_ = kind;
    text_ = Lines{line1, line2};
    if (alarm_) alarm_->Begin();
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE));
    if (!textFont_.get()) textFont_.Reset(CreateGothicFont(24, 12));
    if (!buttonFont_.get())
        buttonFont_.Reset(CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      VARIABLE_PITCH | FF_SWISS, AsWide(u"ＭＳ Ｐゴシック")));
    const DWORD style = layout_.handset ? WS_POPUP | WS_CAPTION | WS_SYSMENU : WS_POPUP | WS_CAPTION | WS_THICKFRAME;
    // The line recorder's bar shows no caption: its title carries what it
    // says, for whatever reads windows' texts (screen readers, the tests).
    std::u16string title;
    if (!layout_.handset) {
        title = SjisToUtf16(kind == BarWarning::Saving ? std::string(kAlertBarCaption)
                                                       : line2.empty() ? line1 : line1 + " " + line2);
    }
    HWND bar = CreateWindowExW(0, kClassName, AsWide(title), style, 0, 0, layout_.width, layout_.height, owner_,
                               nullptr, instance, this);
    if (!bar) {
        // Nothing on screen could stop the sound: let it go now.
        if (alarm_) alarm_->End();
        return false;
    }
    window_ = bar;
    // The bar shows whole, its "×" already in place.
    if (!layout_.handset) {
        HWND button = CreateWindowExW(0, L"BUTTON", AsWide(SjisToUtf16("×")), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                      758, 4, 16, 16, bar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCloseButton)),
                                      instance, nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), FALSE);
    }
    ShowWindow(bar, SW_SHOW);
    UpdateWindow(bar);
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

void WarningBar::Post(BarWarning kind, const std::string& line1, const std::string& line2) {
    if (kind == BarWarning::Resume) resume_ = Lines{line1, line2};
    if (kind == BarWarning::LowSpace) lowSpace_ = Lines{line1, line2};
}

void WarningBar::Tick(std::atomic<int32_t>& savedToEmergency, std::atomic<int32_t>& diskFull) {
    if (window_) return;
    if (savedToEmergency.load() != 0 || diskFull.load() != 0) {
        // A full disk is the cause to name, also when it sent the recording
        // to the emergency folder.
        if (diskFull.load() != 0) {
            Raise(BarWarning::Saving, kDiskFullBarText, "");
        } else if (layout_.handset) {
            Raise(BarWarning::Saving, kHandsetBarLine1, kHandsetBarLine2);
        } else {
            Raise(BarWarning::Saving, kAlertBarText, "");
        }
        savedToEmergency = 0;
        diskFull = 0;
        return;
    }
    for (auto [kind, waiting] : {std::pair{BarWarning::Resume, &resume_}, std::pair{BarWarning::LowSpace, &lowSpace_}}) {
        if (waiting->line1.empty()) continue;
        Lines lines = std::move(*waiting);
        *waiting = Lines{};
        Raise(kind, lines.line1, lines.line2);
        return;
    }
}

bool AskResetMissingWorkFolder(const std::string& folderSjis) {
    return ShowMessage(nullptr, MissingWorkFolderText(folderSjis).c_str(), kStartupErrorCaption,
                       MB_YESNO | MB_ICONERROR | MB_TOPMOST) == IDYES;
}

void ShowNoAudioInputMessage(HWND mainWindow) {
    ShowMessage(mainWindow, kNoAudioInputText, "", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace suite
