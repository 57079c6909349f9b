#include "browser/browser_window.h"

#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/browser_layout.h"
#include "browser/name_actions.h"
#include "browser/player.h"
#include "browser/recording_list.h"
#include "browser/wave_out_win32.h"
#include "common/file_name_rules.h"
#include "common/position_text.h"
#include "common/program_folder_win32.h"
#include "common/win32_text.h"
#include "common/window_win32.h"

namespace suite {

namespace {

const char kTitle[] = "記録操作";
const char kClass[] = "CDialog";
const char kResizeRefused[] = "再生中はリサイズできません\n終了ボタンを先に押してください。";
const char kInformation[] = "インフォメーション";
const char kPlayLabel[] = "再 生";
const char kStopLabel[] = "停 止";

// Posted by the folder list's change: the chooser opens once the list has
// finished with the user's pick.
const UINT kOpenFolderChooser = WM_APP + 1;

const COLORREF kBackground = RGB(200, 200, 200);
const COLORREF kLabelGrey = RGB(100, 100, 100);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlack = RGB(0, 0, 0);

struct ButtonSpec {
    int id;
    const char* text;
};
// The eight buttons in the order they are created.
const ButtonSpec kButtons[] = {
    {kBrowserAction, "名前変更"}, {kBrowserDelete, "削除"}, {kBrowserAmplify, "増幅再生"},
    {kBrowserPlay, kPlayLabel},   {kBrowserEnd, "終了"},    {kBrowserOrder, "順番"},
    {kBrowserInitialRow, "初期表示"}, {kBrowserMode, "検索"},
};

// Everything the window and its thread own; lives on the thread's stack
// for the window's lifetime.
struct BrowserState {
    const BrowserConfig* config = nullptr;
    HWND hwnd = nullptr;
    HWND nameBox = nullptr, recordingList = nullptr, folderList = nullptr;
    GdiObject<HFONT> font;
    BrowserGeometry geometry;
    int clientWidth = 0;  // the latest size, also a refused one
    RecordingList list;
    NameActions actions;
    PlayerWords words;
    GainTables gains;
    int playState = 0;  // 0 idle, 1 asked for, 2 playing
    std::string browseFolder, preferred, programFolder;
    std::string creationText, lengthText;  // the detail line, empty until the first refresh
    uint8_t flagsCopy = 0, sortCopy = 0;
    bool refusalShown = false;
    bool settingNameBox = false;  // our own text change, not the user's edit
};

// ---- window procedure ----

LRESULT OnCreate(BrowserState& s, HWND hwnd);
void OnSize(BrowserState& s, int w, int h);
void OnGetMinMaxInfo(MINMAXINFO* info);
void OnPaint(BrowserState& s);
void OnCommand(BrowserState& s, int id, int code);
void OnFolderPicked(BrowserState& s);
void OnDestroy(BrowserState& s);

}  // namespace

LRESULT CALLBACK BrowserWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    BrowserState* state = WindowState<BrowserState>(hwnd, message, lParam);
    if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
    BrowserState& s = *state;
    switch (message) {
        case WM_CREATE: return OnCreate(s, hwnd);
        case WM_SIZE:
            if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) OnSize(s, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_GETMINMAXINFO: OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
        case WM_PAINT: OnPaint(s); return 0;
        case WM_ERASEBKGND: return 1;  // the paint covers the whole client
        case WM_COMMAND: OnCommand(s, LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_LBUTTONDOWN: s.words.seekClick = 1; return 0;
        case kOpenFolderChooser: OnFolderPicked(s); return 0;
        case WM_DESTROY: OnDestroy(s); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void ShowListRows(HWND combo, const RecordingList& list, int clientWidth) {
    // One redraw for the whole fill: a folder may hold thousands of calls.
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_INITSTORAGE, list.rows().size(), list.rows().size() * 64);
    for (const std::string& row : list.rows())
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(SjisToUtf16(row))));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(list.selected()), 0);
    SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(DropDownWidth(list.longest(), clientWidth)), 0);
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
}

namespace {

HWND Control(BrowserState& s, int id) { return GetDlgItem(s.hwnd, id); }

void SetButtonText(BrowserState& s, int id, const char* text) { SetWindowTextSjis(Control(s, id), text); }

int WorkAreaHeight() {
    WorkArea a = CurrentWorkArea();
    return a.bottom - a.top;
}

// The name box shows text; our own change is not a user's edit.
void ShowNameBox(BrowserState& s, const std::string& text) {
    s.settingNameBox = true;
    SetWindowTextSjis(s.nameBox, text);
    s.settingNameBox = false;
}

// Applies what the list decided for the name box and gives it the focus.
void TakeListNameBox(BrowserState& s) {
    std::string text;
    if (!s.list.TakeNameBox(&text)) return;
    ShowNameBox(s, text);
    FocusAtEnd(s.nameBox);
}

void SetDropWidth(HWND list, size_t longest, int clientWidth) {
    SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(DropDownWidth(longest, clientWidth)), 0);
}

// The list control shows the rows of the list and its selection.
void ShowRows(BrowserState& s) {
    ShowListRows(s.recordingList, s.list, s.clientWidth);
    TakeListNameBox(s);
}

void Rebuild(BrowserState& s, int request) {
    s.list.Rebuild(s.config->settings->browser_sort(), s.config->settings->browser_flags(), s.preferred, request);
    ShowRows(s);
}

size_t LongestOf(const std::vector<std::string>& texts) {
    size_t longest = 0;
    for (const std::string& t : texts) longest = std::max(longest, t.size());
    return longest;
}

void FillFolderList(BrowserState& s) {
    std::vector<std::string> entries = FolderListEntries(s.browseFolder, s.programFolder, *s.config->settings);
    SendMessageW(s.folderList, CB_RESETCONTENT, 0, 0);
    for (const std::string& e : entries)
        SendMessageW(s.folderList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(SjisToUtf16(e))));
    SendMessageW(s.folderList, CB_SETCURSEL, 0, 0);
    SetDropWidth(s.folderList, LongestOf(entries), s.clientWidth);
}

// Lays the controls out for a client of w × h and makes the font anew.
void ApplyLayout(BrowserState& s, int w, int h) {
    s.geometry = LayoutBrowser(w, h, WorkAreaHeight());
    for (const BrowserControlPlace& c : s.geometry.controls) {
        HWND control = Control(s, c.id);
        if (control) MoveWindow(control, c.rect.x, c.rect.y, c.rect.width, c.rect.height, TRUE);
    }
    s.words.positionMarker = s.geometry.markerRest;
    GdiObject<HFONT> previous(s.font.Release());
    s.font.Reset(CreateGothicFont(s.geometry.fontHeight, s.geometry.fontWidth));
    for (const BrowserControlPlace& c : s.geometry.controls) {
        HWND control = Control(s, c.id);
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(s.font.get()), TRUE);
    }
}

HWND CreateControl(BrowserState& s, const wchar_t* cls, const std::string& text, DWORD style, int id) {
    return CreateWindowExW(0, cls, AsWide(SjisToUtf16(text)), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, s.hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), s.config->instance, nullptr);
}

LRESULT OnCreate(BrowserState& s, HWND hwnd) {
    s.hwnd = hwnd;
    RECT client;
    GetClientRect(hwnd, &client);
    s.clientWidth = client.right;
    s.geometry = LayoutBrowser(client.right, client.bottom, WorkAreaHeight());
    s.words.positionMarker = s.geometry.markerRest;
    s.programFolder = ProgramFolder();
    s.list.SetFolder(s.browseFolder);

    s.nameBox = CreateControl(s, L"EDIT", "", WS_BORDER | ES_AUTOHSCROLL | ES_LEFT, kBrowserNameBox);
    s.folderList = CreateControl(s, L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, kBrowserFolderList);
    FillFolderList(s);
    s.recordingList = CreateControl(s, L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, kBrowserRecordingList);
    for (const ButtonSpec& b : kButtons) CreateControl(s, L"BUTTON", b.text, BS_PUSHBUTTON, b.id);
    ApplyLayout(s, client.right, client.bottom);
    Rebuild(s, -1);
    return 0;
}

void OnSize(BrowserState& s, int w, int h) {
    s.clientWidth = w;
    if (s.playState != 0) {
        // A drag sends a size change per step: one box at a time.
        if (!s.refusalShown) {
            s.refusalShown = true;
            ShowMessage(s.hwnd, kResizeRefused, kInformation, MB_OK | MB_ICONINFORMATION);
            s.refusalShown = false;
        }
    } else {
        ApplyLayout(s, w, h);
    }
    SetDropWidth(s.recordingList, s.list.longest(), w);
    SetDropWidth(s.folderList,
                 LongestOf(FolderListEntries(s.browseFolder, s.programFolder, *s.config->settings)), w);
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

void OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = kBrowserMinWidth;
    info->ptMinTrackSize.y = kBrowserMinHeight;
}

void DrawText(HDC dc, int x, int y, const std::string& sjis, COLORREF colour) {
    if (sjis.empty()) return;
    std::u16string text = SjisToUtf16(sjis);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, AsWide(text), static_cast<int>(text.size()));
}

void Line(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, width, colour));
    SelectIn select(dc, pen.get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void PaintBar(BrowserState& s, HDC dc) {
    const int W = s.geometry.width, H = s.geometry.height;
    const BarGeometry& b = s.geometry.bar;
    auto fx = [W](double f) { return Fraction(W, f); };
    auto fy = [H](double f) { return Fraction(H, f); };
    const COLORREF frame = RGB(160, 60, 60);
    Line(dc, 5, frame, fx(0.016), b.top, b.right, b.top);
    Line(dc, 5, frame, fx(0.016), b.bottom, b.right, b.bottom);
    Line(dc, 5, frame, fx(0.014), b.top, fx(0.014), b.bottom);
    Line(dc, 5, frame, b.right, b.top, b.right, b.bottom);
    Line(dc, 4, RGB(220, 220, 220), fx(0.019), fy(0.90), fx(0.77), fy(0.90));
    Line(dc, 4, RGB(220, 220, 220), fx(0.019), fy(0.95), fx(0.77), fy(0.95));
    Line(dc, 3, RGB(150, 150, 150), b.left, fy(0.92), fx(0.766), fy(0.92));
    Line(dc, 3, RGB(150, 150, 150), b.left, fy(0.94), fx(0.766), fy(0.94));
    Line(dc, 2, kBlack, fx(0.028), fy(0.93), fx(0.766), fy(0.93));

    const int m = s.words.positionMarker, d = fx(0.011);
    POINT thumb[5] = {{m, b.top}, {m - d, fy(0.92)}, {m - d, b.bottom}, {m + d, b.bottom}, {m + d, fy(0.92)}};
    GdiObject<HPEN> outline(CreatePen(PS_SOLID, 2, kLabelGrey));
    GdiObject<HBRUSH> fill(CreateSolidBrush(RGB(230, 230, 230)));
    {
        SelectIn pen(dc, outline.get());
        SelectIn brush(dc, fill.get());
        Polygon(dc, thumb, 5);
    }
    Line(dc, static_cast<int>(d * 0.4), RGB(255, 255, 255), m, fy(0.92) + 4, m, b.bottom - 4);
}

void OnPaint(BrowserState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s.hwnd, &ps);
    RECT client;
    GetClientRect(s.hwnd, &client);
    HDC image = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (image && bitmap) {
        HGDIOBJ oldBitmap = SelectObject(image, bitmap);
        GdiObject<HBRUSH> background(CreateSolidBrush(kBackground));
        FillRect(image, &client, background.get());
        SelectIn font(image, s.font.get());
        SetBkMode(image, OPAQUE);
        SetBkColor(image, kBackground);
        const int W = s.geometry.width, H = s.geometry.height;
        auto fx = [W](double f) { return Fraction(W, f); };
        auto fy = [H](double f) { return Fraction(H, f); };
        const RecorderSettings& settings = *s.config->settings;
        DrawText(image, fx(0.36), fy(0.03), s.creationText, kBlack);
        DrawText(image, fx(0.56), fy(0.03), s.lengthText, kBlack);
        DrawText(image, fx(0.014), fy(0.03), "名前の変更と検索窓", kLabelGrey);
        DrawText(image, fx(0.014), fy(0.49), "再生フォルダーの選択（クリックで参照が開く）", kLabelGrey);
        DrawText(image, fx(0.014), fy(0.76), "マウスでクリックした位置から再生可能", kLabelGrey);
        DrawText(image, fx(0.913), fy(0.30), InitialRowLabel(settings.data()[RecorderSettings::kBrowserFlags]), kRed);
        DrawText(image, fx(0.87), fy(0.03), SortLabel(settings.data()[RecorderSettings::kBrowserSort]), kRed);
        DrawText(image, fx(0.913), fy(0.74), AmplifyLabel(s.words.amplifyStep), kRed);
        PaintBar(s, image);
        BitBlt(dc, 0, 0, client.right, client.bottom, image, 0, 0, SRCCOPY);
        SelectObject(image, oldBitmap);
    }
    if (bitmap) DeleteObject(bitmap);
    if (image) DeleteDC(image);
    EndPaint(s.hwnd, &ps);
}

void OnPlayButton(BrowserState& s) {
    if (s.playState == 0) {
        s.playState = 1;
        SetButtonText(s, kBrowserPlay, kStopLabel);
    } else if (s.playState == 2) {
        const bool pause = s.words.playControl == 0;
        s.words.playControl = pause ? 1 : 0;
        SetButtonText(s, kBrowserPlay, pause ? kPlayLabel : kStopLabel);
    }
}

void ShowActionButtons(BrowserState& s) {
    SetButtonText(s, kBrowserAction, s.actions.ActionLabel());
    SetButtonText(s, kBrowserMode, s.actions.ModeLabel());
    EnableWindow(Control(s, kBrowserAction), TRUE);
    EnableWindow(Control(s, kBrowserDelete), s.actions.DeleteEnabled());
}

void OnModeButton(BrowserState& s) {
    ShowNameBox(s, s.actions.ModePressed(s.list));
    ShowActionButtons(s);
    FocusAtEnd(s.nameBox);
    InvalidateRect(s.hwnd, nullptr, FALSE);
}

// The folder chooser opening at start, which ends in "\".
int CALLBACK ChooserStarted(HWND chooser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED) SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

void OnFolderPicked(BrowserState& s) {
    const LRESULT picked = SendMessageW(s.folderList, CB_GETCURSEL, 0, 0);
    std::vector<std::string> entries = FolderListEntries(s.browseFolder, s.programFolder, *s.config->settings);
    if (picked < 0 || static_cast<size_t>(picked) >= entries.size()) return;
    const std::string start = WithTrailingSeparator(ResolvedFolder(entries[static_cast<size_t>(picked)], s.programFolder));
    // The list shows the folder browsed, whatever the answer.
    SendMessageW(s.folderList, CB_SETCURSEL, 0, 0);

    std::u16string title = SjisToUtf16(s.config->chooserTitle);
    std::u16string startWide = SjisToUtf16(start);
    BROWSEINFOW info = {};
    info.hwndOwner = s.hwnd;
    info.lpszTitle = AsWide(title);
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = ChooserStarted;
    info.lParam = reinterpret_cast<LPARAM>(startWide.c_str());
    LPITEMIDLIST item = SHBrowseForFolderW(&info);
    if (!item) return;
    WCHAR path[MAX_PATH];
    std::string sjis;
    const bool usable = SHGetPathFromIDListW(item, path) && WideToSjis(path, lstrlenW(path), &sjis) && !sjis.empty();
    CoTaskMemFree(item);
    if (!usable || !IsWindow(s.hwnd)) return;
    s.browseFolder = WithTrailingSeparator(sjis);
    FillFolderList(s);
    s.list.SetFolder(s.browseFolder);
    Rebuild(s, 0);
    s.words.playControl = 2;
}

void OnCommand(BrowserState& s, int id, int code) {
    RecorderSettings& settings = *s.config->settings;
    switch (id) {
        case kBrowserRecordingList:
            if (code != CBN_SELCHANGE) return;
            s.list.Select(static_cast<int>(SendMessageW(s.recordingList, CB_GETCURSEL, 0, 0)));
            TakeListNameBox(s);
            s.words.playControl = 2;
            return;
        case kBrowserFolderList:
            if (code == CBN_SELCHANGE) PostMessageW(s.hwnd, kOpenFolderChooser, 0, 0);
            return;
        case kBrowserNameBox:
            if (code == EN_CHANGE && !s.settingNameBox) {
                s.actions.NameBoxEdited();
                ShowActionButtons(s);
            }
            return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case kBrowserAction:
            s.words.actionRequest = 1;
            s.actions.ActionPressed();
            return;
        case kBrowserPlay: OnPlayButton(s); return;
        case kBrowserEnd:
            s.words.playControl = 2;
            SetButtonText(s, kBrowserPlay, kPlayLabel);
            s.words.positionMarker = s.geometry.markerRest;
            InvalidateRect(s.hwnd, nullptr, FALSE);
            return;
        case kBrowserDelete: s.words.deleteRequest = 1; return;
        case kBrowserAmplify: s.words.amplifyStep = NextAmplify(s.words.amplifyStep); break;
        case kBrowserOrder: settings.browser_sort() = NextSort(settings.browser_sort()); break;
        case kBrowserInitialRow: settings.browser_flags() = settings.browser_flags() ? 0 : 1; break;
        case kBrowserMode: OnModeButton(s); return;
        default: return;
    }
    InvalidateRect(s.hwnd, nullptr, FALSE);
}

void OnDestroy(BrowserState& s) {
    if (!IsIconic(s.hwnd)) {
        RECT r;
        GetWindowRect(s.hwnd, &r);
        RecorderSettings& settings = *s.config->settings;
        const int place[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        for (int i = 0; i < 4; ++i) WritePositionText(settings.browser_window_text(i), place[i]);
    }
    s.font.Reset();
    PostQuitMessage(0);
}

// ---- the thread's loop ----

class WindowMessages : public BrowserMessages {
public:
    explicit WindowMessages(HWND owner) : owner_(owner) {}
    void Inform(const std::string& text, const std::string& caption) override {
        ShowMessage(owner_, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    }
    bool Confirm(const std::string& text, const std::string& caption) override {
        const int answer = ShowMessage(owner_, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING);
        // A browser closed while asking (the program ends) deletes nothing.
        return answer != IDNO && IsWindow(owner_);
    }

private:
    HWND owner_;
};

// The name box's text; *exact false when a character had no Shift-JIS form.
std::string NameBoxText(BrowserState& s, bool* exact) {
    std::string text;
    *exact = GetWindowTextSjis(s.nameBox, &text);
    return text;
}

void RefreshDetailLine(BrowserState& s) {
    const std::string path = s.list.CurrentPath();
    FileTime created;
    s.creationText = CreationText(CreationTime(path, &created) ? &created : nullptr);
    s.lengthText = LengthText(LengthQuery(path));
    InvalidateRect(s.hwnd, nullptr, FALSE);
}

// Returns 1 when the quit message came during a playback.
int PlayCurrent(BrowserState& s) {
    s.playState = 2;
    s.words.pausedFlag = 0;
    s.words.playControl = 0;
    int result;
    {
        WaveOutWin32 device;
        PlayerHostWin32 host(s.hwnd, device);
        result = Play(s.list.CurrentPath(), s.geometry.bar, s.gains, s.words, device, host);
    }
    if (result == 1) return 1;
    SetButtonText(s, kBrowserPlay, kPlayLabel);
    s.words.positionMarker = s.geometry.markerRest;
    InvalidateRect(s.hwnd, nullptr, FALSE);
    s.playState = 0;
    return 0;
}

// One idle step of the loop; false when the browser is to end. *again is
// set when a request is left for the next step.
bool IdleStep(BrowserState& s, bool* again) {
    RecorderSettings& settings = *s.config->settings;
    WindowMessages messages(s.hwnd);
    if (settings.browser_flags() != s.flagsCopy) {
        s.flagsCopy = settings.browser_flags();
        s.list.SelectInitial(s.flagsCopy);
        SendMessageW(s.recordingList, CB_SETCURSEL, static_cast<WPARAM>(s.list.selected()), 0);
        TakeListNameBox(s);
    }
    if (settings.browser_sort() != s.sortCopy) {
        s.sortCopy = settings.browser_sort();
        Rebuild(s, 0);
    }
    if (s.list.TakeSelectionChanged()) RefreshDetailLine(s);
    bool deferDelete = false;
    if (s.words.actionRequest) {
        s.words.actionRequest = 0;
        const NameActions::Mode mode = s.actions.mode();
        if (mode != NameActions::kSearchReady) {
            if (mode != NameActions::kRename) EnableWindow(Control(s, kBrowserAction), FALSE);
            bool exact = true;
            const std::string nameBox = NameBoxText(s, &exact);
            s.actions.Act(s.list, nameBox, exact, settings.browser_sort(), settings.browser_flags(), &s.preferred,
                          messages);
            if (!IsWindow(s.hwnd)) return true;
            ShowRows(s);
            ShowActionButtons(s);
        }
        deferDelete = true;
    }
    if (s.words.deleteRequest && !deferDelete) {
        s.words.deleteRequest = 0;
        s.actions.Delete(s.list, settings.browser_sort(), settings.browser_flags(), s.preferred, messages);
        if (!IsWindow(s.hwnd)) return true;
        ShowRows(s);
    }
    if (s.playState == 1 && PlayCurrent(s) == 1) return false;
    // A row chosen by this step's work.
    if (s.list.TakeSelectionChanged()) RefreshDetailLine(s);
    *again = s.words.deleteRequest || s.playState == 1 || settings.browser_flags() != s.flagsCopy ||
             settings.browser_sort() != s.sortCopy;
    return true;
}

// The loop of the browser's thread: messages first, then one idle step;
// it sleeps only while nothing is pending.
void RunLoop(BrowserState& s) {
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        bool again = false;
        if (!IdleStep(s, &again)) return;
        if (!again) MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace

BrowserThread::~BrowserThread() {
    if (thread_) CloseHandle(thread_);
}

bool BrowserThread::Start(const std::string& folder, const std::string& preferred) {
    if (running_.exchange(true)) return false;
    if (thread_) CloseHandle(thread_);
    folder_ = folder;
    preferred_ = preferred;
    thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    if (!thread_) running_.store(false);
    return thread_ != nullptr;
}

bool BrowserThread::Close(DWORD timeoutMs) {
    if (!running_.load()) return true;
    HWND window = window_.load();
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    // The thread's end enables and raises the main window, which sends to
    // this thread: those are served while waiting, or each would hold the
    // close until the bound.
    const DWORD start = GetTickCount();
    while (thread_) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) break;
        const DWORD r = MsgWaitForMultipleObjectsEx(1, &thread_, timeoutMs - elapsed, QS_SENDMESSAGE, 0);
        if (r != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return !running_.load();
}

DWORD WINAPI BrowserThread::Main(LPVOID self) {
    auto* t = static_cast<BrowserThread*>(self);
    const BrowserConfig& config = t->config_;
    RecorderSettings& settings = *config.settings;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        auto s = std::make_unique<BrowserState>();
        s->config = &config;
        s->browseFolder = t->folder_;
        s->preferred = t->preferred_;
        s->words.amplifyStep = static_cast<int8_t>(settings.browser_amplify());
        s->flagsCopy = settings.browser_flags();
        s->sortCopy = settings.browser_sort();
        const WindowPlace place = BrowserPlaceFor(StoredBrowserPlace(settings), CurrentWorkArea());
        HWND hwnd = CreateWindowExW(0, AsWide(SjisToUtf16(kClass)), AsWide(SjisToUtf16(kTitle)),
                                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
                                    place.x, place.y, place.width, place.height, config.mainWindow, nullptr,
                                    config.instance, s.get());
        if (hwnd) {
            t->window_.store(hwnd);
            ShowWindow(hwnd, SW_SHOW);
            UpdateWindow(hwnd);
            if (config.mainWindow) EnableWindow(config.mainWindow, FALSE);
            RunLoop(*s);
            t->window_.store(nullptr);
            // Ended by the quit message during a playback: the window may
            // still be there when the quit came from elsewhere.
            if (IsWindow(hwnd)) DestroyWindow(hwnd);
            settings.browser_amplify() = static_cast<uint8_t>(s->words.amplifyStep);
            WriteBrowserCloseBytes(config.settingsPath, settings);
        }
    }
    if (config.mainWindow && IsWindow(config.mainWindow)) {
        EnableWindow(config.mainWindow, TRUE);
        SetWindowPos(config.mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetWindowPos(config.mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        if (settings.topmost() != 1)
            SetWindowPos(config.mainWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    t->running_.store(false);
    return 0;
}

}  // namespace suite
