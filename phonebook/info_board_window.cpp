#include "phonebook/info_board_window.h"

#include "common/text_convert.h"
#include "common/win32_text.h"
#include "common/window_win32.h"

namespace suite {

const char16_t kInfoBoardClassName[] = u"情報ボード";

namespace {

const char kSizeLabel[] = "文字サイズ";
const char kNameLabel[] = "電話帳";
const char kSaveText[] = "保存終了";
const char kUnregisterText[] = "登録不要";

}  // namespace

LRESULT CALLBACK InfoBoardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    InfoBoardWindow* w = WindowState<InfoBoardWindow>(hwnd, message, lParam);
    if (!w) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: w->OnCreate(hwnd); return 0;
        case WM_SIZE:
            if (wParam == SIZE_RESTORED) w->OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT: w->OnPaint(); return 0;
        case WM_CTLCOLORSTATIC:
            // The size buttons have no text: let them show the board's grey.
            SetBkColor(reinterpret_cast<HDC>(wParam), kInfoBoardBackground);
            return static_cast<LRESULT>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
        case WM_COMMAND: w->OnCommand(LOWORD(wParam)); break;
        // The board closes only through its two buttons (Alt+F4 included).
        case WM_CLOSE: return 0;
        case WM_DESTROY: w->OnDestroy(); break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterInfoBoardClass(HINSTANCE instance) {
    return RegisterSuiteWindowClass(instance, BoardWindowClass(kInfoBoardClassName, InfoBoardWindowProc,
                                                               kInfoBoardWindowExtra, kInfoBoardBackground));
}

SuiteWindowClass BoardWindowClass(const char16_t* name, WNDPROC proc, int extraBytes, COLORREF background) {
    // The brush lives as long as the class: the program's lifetime.
    SuiteWindowClass board{reinterpret_cast<LPCWSTR>(name), proc, CreateSolidBrush(background)};
    board.extraBytes = extraBytes;
    board.icon = 0;
    return board;
}

namespace {

std::u16string WideText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    length = GetWindowTextW(window, reinterpret_cast<LPWSTR>(&text[0]), length + 1);
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

}  // namespace

void Place(HWND control, const Rect& r) { MoveWindow(control, r.x, r.y, r.width, r.height, TRUE); }

HWND MakeControl(HWND parent, const char16_t* className, const char* text, DWORD style, int id, HINSTANCE instance) {
    return CreateWindowExW(0, reinterpret_cast<LPCWSTR>(className), AsWide(SjisToUtf16(text)), WS_CHILD | WS_VISIBLE | style,
                           0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void TextAt(HDC dc, int x, int y, const char* sjis) {
    std::u16string text = SjisToUtf16(sjis);
    TextOutW(dc, x, y, AsWide(text), static_cast<int>(text.size()));
}

void DrawCounterText(HWND window, HFONT font, int x, int y, COLORREF background, const std::string& text) {
    HDC dc = GetDC(window);
    {
        SelectIn selected(dc, font);
        SetTextColor(dc, RGB(255, 0, 0));
        SetBkColor(dc, background);
        SIZE widest;
        GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(u"000000/10000"), 12, &widest);
        RECT cell{x, y, x + widest.cx, y + widest.cy};
        std::u16string wide = SjisToUtf16(text);
        ExtTextOutW(dc, x, y, ETO_OPAQUE, &cell, AsWide(wide), static_cast<UINT>(wide.size()), nullptr);
    }
    ReleaseDC(window, dc);
}

InfoBoardWindow::InfoBoardWindow(HINSTANCE instance, HWND owner, HFONT smallFont)
    : instance_(instance), owner_(owner), smallFont_(smallFont) {
    if (!smallFont_) ownSmallFont_ = CreateGothicFont(14, 7);
}

InfoBoardWindow::~InfoBoardWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (editFont_) DeleteObject(editFont_);
    if (ownSmallFont_) DeleteObject(ownSmallFont_);
}

// ---- Messages ----

void InfoBoardWindow::OnCreate(HWND hwnd) {
    hwnd_ = hwnd;
    HWND save = MakeControl(hwnd, u"BUTTON", kSaveText, WS_TABSTOP | BS_PUSHBUTTON, kBoardSaveId, instance_);
    HWND unregister = MakeControl(hwnd, u"BUTTON", kUnregisterText, WS_TABSTOP | BS_PUSHBUTTON, kBoardUnregisterId, instance_);
    for (int k = 0; k < kBoardSizeCount; ++k) {
        MakeControl(hwnd, u"BUTTON", "", BS_AUTORADIOBUTTON | (k == 0 ? WS_GROUP : 0), kBoardFirstSizeId + k, instance_);
    }
    name_ = MakeControl(hwnd, u"EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kBoardNameId, instance_);
    information_ = MakeControl(hwnd, u"EDIT", "",
                               WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                   ES_AUTOHSCROLL | ES_WANTRETURN,
                               kBoardInformationId, instance_);
    // Far more than a record holds, so a paste is never cut unseen; the save
    // refuses what does not fit.
    SendMessageW(information_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    SendMessageW(name_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    SendMessageW(save, WM_SETFONT, reinterpret_cast<WPARAM>(SmallFont()), FALSE);
    SendMessageW(unregister, WM_SETFONT, reinterpret_cast<WPARAM>(SmallFont()), FALSE);

    BoardLayout layout = LayoutBoard(0, 0, kDefaultBoardCharSize);
    Place(save, layout.save);
    Place(unregister, layout.unregister);
    for (int k = 0; k < kBoardSizeCount; ++k) {
        Place(GetDlgItem(hwnd, kBoardFirstSizeId + k), layout.sizeButtons[k]);
    }
}

void InfoBoardWindow::OnSize(int width, int height) {
    clientWidth_ = width;
    BoardLayout layout = LayoutBoard(width, height, board_ ? board_->CharSize() : kDefaultBoardCharSize);
    Place(name_, layout.name);
    Place(information_, layout.information);
}

void InfoBoardWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    {
        SelectIn font(dc, SmallFont());
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, kInfoBoardBackground);
        SetTextColor(dc, RGB(0, 0, 0));
        TextAt(dc, kSizeLabelX, kSizeLabelY, kSizeLabel);
        TextAt(dc, kNameLabelX, kNameLabelY, kNameLabel);
    }
    EndPaint(hwnd_, &ps);
}

void InfoBoardWindow::OnCommand(int id) {
    if (!board_) return;
    if (int size = CharSizeForId(id)) {
        board_->ChooseCharSize(size);
    } else if (id == kBoardSaveId) {
        board_->RequestSave();
    } else if (id == kBoardUnregisterId) {
        board_->RequestUnregister();
    }
}

void InfoBoardWindow::OnDestroy() {
    // Also reached when the owner goes first: keep the place for WindowRect.
    RECT r;
    if (GetWindowRect(hwnd_, &r)) lastRect_ = BoardRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    hwnd_ = nullptr;
    name_ = information_ = nullptr;
}

// ---- What the board's logic asks of the window ----

bool InfoBoardWindow::Create(const BoardRect& rect, const std::string& title, const std::string& name,
                             const std::string& information, bool editable) {
    if (hwnd_) Destroy();
    BoardRect place = rect;
    RECT wanted{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
    // A board kept on a screen that is gone would open out of sight.
    if (!MonitorFromRect(&wanted, MONITOR_DEFAULTTONULL)) {
        WorkArea area = DesktopWorkArea();
        place = BoardRect{area.right / 2 - 235, area.bottom / 2, 470, 200};
    }
    HWND hwnd = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(kInfoBoardClassName), AsWide(SjisToUtf16("情報ボード")),
                                WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN, place.x, place.y, place.width,
                                place.height, owner_, nullptr, instance_, this);
    if (!hwnd) return false;
    // Filled while hidden: the board never shows empty, not even for a moment.
    MoveWindow(hwnd, place.x, place.y, place.width, place.height, FALSE);
    SetWindowTextSjis(hwnd, title);
    SetWindowTextSjis(name_, name);
    SetWindowTextSjis(information_, information);
    EnableWindow(GetDlgItem(hwnd, kBoardSaveId), editable);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    if (editable) SetFocus(name_);
    UpdateWindow(hwnd);
    return true;
}

BoardRect InfoBoardWindow::WindowRect() {
    RECT r;
    if (hwnd_ && GetWindowRect(hwnd_, &r)) return BoardRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    return lastRect_;
}

void InfoBoardWindow::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (editFont_) DeleteObject(editFont_);
    editFont_ = nullptr;
}

FieldText InfoBoardWindow::Name() {
    FieldText field;
    if (name_) field.exact = GetWindowTextSjis(name_, &field.text);
    return field;
}

FieldText InfoBoardWindow::Information() {
    FieldText field;
    if (information_) field.exact = GetWindowTextSjis(information_, &field.text);
    return field;
}

void InfoBoardWindow::DrawCounter(const std::string& text) {
    if (hwnd_) DrawCounterText(hwnd_, SmallFont(), kCounterX, kCounterY, kInfoBoardBackground, text);
}

void InfoBoardWindow::ApplyCharSize(int charSize) {
    if (!hwnd_) return;
    CheckRadioButton(hwnd_, kBoardFirstSizeId, kBoardFirstSizeId + kBoardSizeCount - 1, IdForCharSize(charSize));
    // The texts go out and back in as they are, so nothing is lost to a
    // code page on the way.
    std::u16string name = WideText(name_);
    std::u16string information = WideText(information_);
    SetWindowTextW(name_, AsWide(u""));
    Place(name_, NameFieldRect(clientWidth_, charSize));
    HFONT font = CreateGothicFont(BoardFontHeight(charSize), charSize);
    SendMessageW(name_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(information_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (editFont_) DeleteObject(editFont_);
    editFont_ = font;
    SetWindowTextW(name_, AsWide(name));
    SetWindowTextW(information_, AsWide(information));
}

void InfoBoardWindow::Tell(const std::string& text, const std::string& caption) {
    ShowMessage(hwnd_, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

WorkArea InfoBoardWindow::DesktopWorkArea() { return CurrentWorkArea(); }

// ---- Phone book messages ----

void MessageBoxPhoneBookMessages::NoSpace() {
    ShowMessage(nullptr, kNoSpaceText, kNoSpaceCaption, MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

void MessageBoxPhoneBookMessages::AppendWarning(int remaining) {
    ShowMessage(nullptr, AppendWarningText(remaining).c_str(), kAppendWarningCaption, MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

void MessageBoxPhoneBookMessages::CannotOpen(const std::string& path) {
    ShowMessage(nullptr, CannotOpenText(path).c_str(), kPhoneBookCaption, MB_OK | MB_ICONERROR | MB_TOPMOST);
}

void MessageBoxPhoneBookMessages::CannotWrite(const std::string& path) {
    ShowMessage(nullptr, CannotWriteText(path).c_str(), kPhoneBookCaption, MB_OK | MB_ICONERROR | MB_TOPMOST);
}

void MessageBoxPhoneBookMessages::InUse(const std::string& path) {
    ShowMessage(nullptr, InUseText(path).c_str(), kPhoneBookCaption, MB_OK | MB_ICONERROR | MB_TOPMOST);
}

}  // namespace suite
