#include "phonebook/list_board_window.h"

#include "phonebook/info_board_window.h"
#include "common/text_convert.h"
#include "common/win32_text.h"
#include "common/window_win32.h"

namespace suite {

const char16_t kListBoardClassName[] = u"情報ボードt";

namespace {

constexpr COLORREF kBackground = RGB(220, 220, 220);
constexpr int kWindowExtra = 30;

const int kControlIds[] = {kListBoardSearchId,       kListBoardNameId, kListBoardInformationId,
                           kListBoardSearchButtonId, kListBoardSaveId, kListBoardClearId};

}  // namespace

LRESULT CALLBACK ListBoardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ListBoardWindow* w = WindowState<ListBoardWindow>(hwnd, message, lParam);
    if (!w) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: w->OnCreate(hwnd); return 0;
        case WM_SIZE:
            if (wParam == SIZE_RESTORED) w->OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT: w->OnPaint(); return 0;
        case WM_COMMAND: w->OnCommand(LOWORD(wParam), HIWORD(wParam)); break;
        // Closed only through its buttons or with the list.
        case WM_CLOSE: return 0;
        case WM_DESTROY: w->hwnd_ = nullptr; break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterListBoardClass(HINSTANCE instance) {
    return RegisterSuiteWindowClass(instance,
                                    BoardWindowClass(kListBoardClassName, ListBoardWindowProc, kWindowExtra, kBackground));
}

namespace {

FieldText FieldOf(HWND control) {
    FieldText field;
    if (control) field.exact = GetWindowTextSjis(control, &field.text);
    return field;
}

}  // namespace

ListBoardWindow::~ListBoardWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void ListBoardWindow::OnCreate(HWND hwnd) {
    hwnd_ = hwnd;
    MakeControl(hwnd, u"EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kListBoardSearchId, instance_);
    MakeControl(hwnd, u"EDIT", "", WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, kListBoardNameId, instance_);
    HWND information = MakeControl(hwnd, u"EDIT", "",
                                   WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_WANTRETURN |
                                       ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                   kListBoardInformationId, instance_);
    // A wide field counts characters: far more than a record holds, so a
    // paste is never cut unseen; the save refuses what does not fit.
    SendMessageW(information, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    MakeControl(hwnd, u"BUTTON", "検索", WS_TABSTOP | BS_PUSHBUTTON, kListBoardSearchButtonId, instance_);
    MakeControl(hwnd, u"BUTTON", "保存終了", WS_TABSTOP | BS_PUSHBUTTON, kListBoardSaveId, instance_);
    MakeControl(hwnd, u"BUTTON", "情報不要", WS_TABSTOP | BS_PUSHBUTTON, kListBoardClearId, instance_);
    for (int id : kControlIds) SendMessageW(GetDlgItem(hwnd, id), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void ListBoardWindow::OnSize(int width, int height) {
    ListBoardLayout l = LayoutListBoard(width, height, charSize_);
    Place(GetDlgItem(hwnd_, kListBoardSaveId), l.save);
    Place(GetDlgItem(hwnd_, kListBoardClearId), l.clear);
    Place(GetDlgItem(hwnd_, kListBoardSearchButtonId), l.searchButton);
    Place(GetDlgItem(hwnd_, kListBoardSearchId), l.search);
    Place(GetDlgItem(hwnd_, kListBoardNameId), l.name);
    Place(GetDlgItem(hwnd_, kListBoardInformationId), l.information);
}

void ListBoardWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    {
        SelectIn font(dc, font_);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, kBackground);
        SetTextColor(dc, RGB(0, 0, 0));
        TextAt(dc, 4, 35 * charSize_ / 10, "電話帳");
    }
    EndPaint(hwnd_, &ps);
}

void ListBoardWindow::OnCommand(int id, int notification) {
    if (!board_) return;
    if (id == kListBoardSearchButtonId) {
        board_->RequestSearch();
    } else if (id == kListBoardSaveId) {
        board_->RequestSave();
    } else if (id == kListBoardClearId) {
        board_->RequestClear();
    } else if (id == kListBoardSearchId && notification == EN_CHANGE) {
        board_->SearchKeyChanged();
    }
}

void ListBoardWindow::SetFont(HFONT font, int charSize) {
    font_ = font;
    charSize_ = charSize;
    if (!hwnd_) return;
    for (int id : kControlIds) SendMessageW(GetDlgItem(hwnd_, id), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    RECT r;
    GetClientRect(hwnd_, &r);
    OnSize(r.right, r.bottom);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool ListBoardWindow::Create(const BoardRect& rect, const std::string& title, const std::string& name,
                             const std::string& information) {
    if (hwnd_) Destroy();
    HWND hwnd = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(kListBoardClassName), AsWide(SjisToUtf16("情報ボード")),
                                WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN, rect.x, rect.y, rect.width,
                                rect.height, owner_, nullptr, instance_, this);
    if (!hwnd) return false;
    // Filled while hidden: the board never shows empty, not even for a moment.
    MoveWindow(hwnd, rect.x, rect.y, rect.width, rect.height, FALSE);
    SetWindowTextSjis(hwnd, title);
    SetWindowTextSjis(GetDlgItem(hwnd, kListBoardNameId), name);
    HWND info = GetDlgItem(hwnd, kListBoardInformationId);
    SetWindowTextSjis(info, information);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetFocus(info);
    UpdateWindow(hwnd);
    return true;
}

BoardRect ListBoardWindow::WindowRect() {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return BoardRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void ListBoardWindow::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

FieldText ListBoardWindow::Name() { return FieldOf(hwnd_ ? GetDlgItem(hwnd_, kListBoardNameId) : nullptr); }
FieldText ListBoardWindow::Information() {
    return FieldOf(hwnd_ ? GetDlgItem(hwnd_, kListBoardInformationId) : nullptr);
}
FieldText ListBoardWindow::SearchKey() { return FieldOf(hwnd_ ? GetDlgItem(hwnd_, kListBoardSearchId) : nullptr); }

void ListBoardWindow::DrawCounter(const std::string& text) {
    if (hwnd_) DrawCounterText(hwnd_, font_, 20 * charSize_, 7, kBackground, text);
}

void ListBoardWindow::SetSearchButton(bool next) {
    if (hwnd_) SetWindowTextSjis(GetDlgItem(hwnd_, kListBoardSearchButtonId), next ? "次へ" : "検索");
}

void ListBoardWindow::ShowHit(size_t start, size_t length) {
    if (!hwnd_) return;
    HWND info = GetDlgItem(hwnd_, kListBoardInformationId);
    SetFocus(info);
    SendMessageW(info, EM_SETSEL, start, start + length);
    SendMessageW(info, EM_SCROLLCARET, 0, 0);
}

void ListBoardWindow::Tell(const std::string& text, const std::string& caption) {
    ShowMessage(hwnd_, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

void ListBoardWindow::Notify(const std::string& text, const std::string& caption) {
    ShowMessage(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_TOPMOST);
}

bool ListBoardWindow::Ask(const std::string& text, const std::string& caption) {
    return ShowMessage(hwnd_, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDYES;
}

}  // namespace suite
