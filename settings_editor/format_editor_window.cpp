#include "settings_editor/format_editor_window.h"

#include "settings_editor/editor_layout.h"
#include "settings_editor/editor_logic.h"
#include "common/layout.h"
#include "settings_editor/resource.h"
#include "common/settings_file.h"
#include "common/win32_text.h"
#include "common/window_win32.h"

namespace suite {
namespace {

const char16_t kClassName[] = u"各種編集";
const COLORREF kBackground = RGB(212, 208, 200);
constexpr int kRepositionPasses = 10;           // idle passes of 10 ms
constexpr int kRepositionPassesAfterMessage = 400;

enum EditorState { kClosed = 0, kRunning = 1, kCloseRequested = 2 };

struct FormatEditorState {
    const FormatEditorTarget* target = nullptr;
    int k = 0;
    HWND hwnd = nullptr;
    HWND edit = nullptr;
    HWND buttons[4] = {};
    GdiObject<HFONT> font;
    int clientWidth = 0, clientHeight = 0;  // pixels
    int state = kRunning;
    int repositionCountdown = kRepositionPasses;
    bool shown = false;      // placed over the settings window at least once
    bool validated = false;  // lastText has been validated
    std::string lastText;
};

void OnSize(FormatEditorState& s, int width, int height);
void OnPaint(FormatEditorState& s);
void OnCommand(FormatEditorState& s, int id, int code);

LRESULT CALLBACK FormatEditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = WindowState<FormatEditorState>(hwnd, message, lParam);
    if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_SIZE: OnSize(*s, LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_PAINT: OnPaint(*s); return 0;
        case WM_COMMAND: OnCommand(*s, LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && s->edit) SetFocus(s->edit);
            return 0;
        case WM_CLOSE: s->state = kCloseRequested; return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void OnSize(FormatEditorState& s, int width, int height) {
    if (width <= 0 || height <= 0 || !s.edit) return;
    s.clientWidth = width;
    s.clientHeight = height;
    FormatLayout l = LayoutFormatEditor(width, height);
    HFONT newFont = CreateGothicFont(l.fontHeight, l.fontWidth);
    WPARAM font = reinterpret_cast<WPARAM>(newFont);
    SendMessageW(s.edit, WM_SETFONT, font, FALSE);
    MoveWindow(s.edit, l.edit.x, l.edit.y, l.edit.width, l.edit.height, TRUE);
    for (int i = 0; i < 4; ++i) {
        if (!s.buttons[i]) continue;
        SendMessageW(s.buttons[i], WM_SETFONT, font, FALSE);
        MoveWindow(s.buttons[i], l.buttons[i].x, l.buttons[i].y, l.buttons[i].width, l.buttons[i].height, TRUE);
    }
    s.font.Reset(newFont);  // the old font goes only once no control uses it
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

void PaintLine(HDC dc, int w, int h, const TextLine& line) {
    std::u16string text = SjisToUtf16(line.text);
    TextOutW(dc, Fraction(w, line.x), Fraction(h, line.y), AsWide(text), static_cast<int>(text.size()));
}

void OnPaint(FormatEditorState& s) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(s.hwnd, &paint);
    if (s.font.get()) {
        const FormatExplanation& e = ExplanationOf(s.k);
        SelectIn font(dc, s.font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 0, 0));
        PaintLine(dc, s.clientWidth, s.clientHeight, e.title);
        SetTextColor(dc, RGB(0, 0, 0));
        for (const TextLine& line : e.lines) {
            if (!line.text) break;
            PaintLine(dc, s.clientWidth, s.clientHeight, line);
        }
    }
    EndPaint(s.hwnd, &paint);
}

void OnCommand(FormatEditorState& s, int id, int code) {
    if (code != BN_CLICKED || id < IDC_FORMAT_WORD_FIRST || id > IDC_FORMAT_WORD_LAST) return;
    std::string text;
    GetWindowTextSjis(s.edit, &text);
    text += FormatWord(s.k, id - IDC_FORMAT_WORD_FIRST);
    SetWindowTextSjis(s.edit, text);
    FocusAtEnd(s.edit);
}

bool RegisterOnce(HINSTANCE instance) {
    static bool registered = false;
    static GdiObject<HBRUSH> background;
    if (registered) return true;
    background.Reset(CreateSolidBrush(kBackground));
    registered = RegisterSuiteWindowClass(
        instance, SuiteWindowClass{reinterpret_cast<LPCWSTR>(kClassName), FormatEditorProc, background.get()});
    return registered;
}

HWND AddChild(FormatEditorState& s, const char16_t* cls, DWORD style, int id, const std::string& text) {
    return CreateWindowExW(0, reinterpret_cast<LPCWSTR>(cls), AsWide(SjisToUtf16(text)),
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 0, 0, s.hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), s.target->instance, nullptr);
}

// Lays the editor exactly over the settings window, topmost; the first time
// also shows and activates it.
void Reposition(FormatEditorState& s) {
    RECT r;
    if (!GetWindowRect(s.target->settingsWindow, &r)) return;
    UINT flags = SWP_SHOWWINDOW | (s.shown ? SWP_NOACTIVATE : 0);
    SetWindowPos(s.hwnd, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
    if (s.shown) return;
    s.shown = true;
    SetForegroundWindow(s.hwnd);
    FocusAtEnd(s.edit);
}

// Takes a valid text over into the record and the settings window; an
// invalid one is reported once, until the user changes it again.
void Validate(FormatEditorState& s) {
    std::string text;
    bool exact = GetWindowTextSjis(s.edit, &text);
    if (s.validated && text == s.lastText) return;
    s.validated = true;
    s.lastText = text;
    // A character Shift-JIS cannot hold is as unusable in a name as a
    // forbidden one.
    const char* message = exact ? ValidateFormat(s.k, text) : ValidateFormat(s.k, "?");
    if (!message) {
        StoreFormat(s.target->record, s.k, text);
        SetWindowTextSjis(s.target->settingsEdit, text);
        return;
    }
    ShowMessage(nullptr, message, kCapInputError, MB_OK | MB_TOPMOST);
    FocusAtEnd(s.edit);
    s.repositionCountdown = kRepositionPassesAfterMessage;
}

}  // namespace

void RunFormatEditor(const FormatEditorTarget& target, int k) {
    if (k < kFolderFormat || k > kOutgoingFormat || !RegisterOnce(target.instance)) return;
    FormatEditorState s;
    s.target = &target;
    s.k = k;
    s.hwnd = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(kClassName), reinterpret_cast<LPCWSTR>(kClassName),
                             WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, target.settingsWindow, nullptr, target.instance, &s);
    if (!s.hwnd) return;
    s.edit = AddChild(s, u"EDIT", WS_BORDER | ES_AUTOHSCROLL, IDC_FORMAT_TEXT,
                      FormatSlot(*target.record, k).Get());
    SendMessageW(s.edit, EM_LIMITTEXT, SettingsRecord::kPathSize - 1, 0);
    if (k == kIncomingFormat || k == kOutgoingFormat) {
        for (int i = 0; i < 4; ++i) {
            s.buttons[i] = AddChild(s, u"BUTTON", BS_PUSHBUTTON, IDC_FORMAT_WORD_FIRST + i, FormatWord(k, i));
        }
    }
    FocusAtEnd(s.edit);
    EnableWindow(target.settingsWindow, FALSE);

    bool quit = false;
    WPARAM quitCode = 0;
    while (s.state != kClosed) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Leave it for the settings window's loop, after closing here.
                quit = true;
                quitCode = msg.wParam;
                s.state = kCloseRequested;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        if (s.state != kCloseRequested) {
            Sleep(10);
            if (--s.repositionCountdown <= 0) {
                Reposition(s);
                s.repositionCountdown = kRepositionPasses;
            }
        }
        Validate(s);
        if (s.state == kCloseRequested) {
            // Enabled before the editor goes, so that it takes the activation back.
            EnableWindow(target.settingsWindow, TRUE);
            DestroyWindow(s.hwnd);
            s.font.Reset();
            s.state = kClosed;
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    WriteSettingsSlot(target.settingsPath, *target.record, FormatSlot(*target.record, k));
}

}  // namespace suite
