#include "settings_editor/settings_window.h"

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings_editor/editor_layout.h"
#include "settings_editor/editor_logic.h"
#include "settings_editor/format_editor_window.h"
#include "common/layout.h"
#include "common/position_text.h"
#include "common/process_check.h"
#include "settings_editor/resource.h"
#include "common/window_win32.h"

namespace suite {
namespace {

const char16_t kClassName[] = u"Tessimor";
const COLORREF kBackground = RGB(212, 208, 200);
constexpr int kRecorderCheckPasses = 300;  // idle passes of 10 ms: about 3 s

// Items of the top-row lists, left to right, and the field holding each
// list's item index.
struct ListSpec {
    int id;
    size_t offset;
    const char* items[6];
};

const ListSpec kListSpecs[kTopListCount] = {
    {IDC_SILENCE_LIST, SettingsRecord::kSilenceChoice, {"10", "20", "30", "40", "50", "60"}},
    {IDC_QUALITY_LIST, SettingsRecord::kRecordingFormat,
     {"原　音 wav(FileSize =55.0Mb/h)", "高音質 ogg(FileSize =16.0Mb/h)", "中音質 ogg(FileSize =11.2Mb/h)",
      "低音質 ogg(FileSize = 6.4Mb/h)"}},
    {IDC_START_STATE_LIST, SettingsRecord::kStartState, {"録音停止", "自動録音"}},
    {IDC_START_PLACE_LIST, SettingsRecord::kStartPlace, {"デスクトップ", "タスクバー", "タスクトレイ"}},
    {IDC_CONNECTION_LIST, SettingsRecord::kShowConnectionScreen, {"非表示", "表　示"}},
    {IDC_WARNING_VOLUME_LIST, SettingsRecord::kWarningVolume, {"OFF", "１", "２", "３", "４", "５"}},
    {IDC_INFO_BOARD_LIST, SettingsRecord::kInfoBoardMode, {"無条件で表示", "電話帳有りで表示", "ボード不要"}},
};

LRESULT OnCreate(SettingsWindowState& s);
void OnSize(SettingsWindowState& s, int width, int height);
void OnPaint(SettingsWindowState& s);
void OnCommand(SettingsWindowState& s, int id, int code);
void OnGetMinMaxInfo(MINMAXINFO* info);
void OnClose(SettingsWindowState& s);
void OnDestroy(SettingsWindowState& s);

LRESULT CALLBACK SettingsWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = WindowState<SettingsWindowState>(hwnd, message, lParam);
    if (message == WM_NCCREATE) s->hwnd = hwnd;
    if (message == WM_GETMINMAXINFO) {
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    }
    if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: return OnCreate(*s);
        case WM_SIZE: OnSize(*s, LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_PAINT: OnPaint(*s); return 0;
        case WM_COMMAND: OnCommand(*s, LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_CTLCOLORSTATIC:
            // The check box sits on the window's own ground, like the labels.
            if (reinterpret_cast<HWND>(lParam) != s->startWithWindows) break;
            SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
            return reinterpret_cast<LRESULT>(s->background.get());
        case WM_CLOSE: OnClose(*s); return 0;
        case WM_DESTROY: OnDestroy(*s); return 0;
        case WM_NCDESTROY:
            // The children are gone now: the font they used can go too.
            s->font.Reset();
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Pixels of a drop-down list besides its text: the button, the frame and
// the text's inner margins.
int ListChrome() { return GetSystemMetrics(SM_CXVSCROLL) + 10; }

SettingsLayout CurrentLayout(const SettingsWindowState& s) {
    return LayoutSettingsWindow(s.clientWidth, s.clientHeight, ListChrome());
}

void Place(HWND control, const Rect& r, HFONT font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    MoveWindow(control, r.x, r.y, r.width, r.height, TRUE);
}

HWND AddControl(SettingsWindowState& s, const char16_t* cls, DWORD style, DWORD exStyle, int id, const char* text) {
    return CreateWindowExW(exStyle, reinterpret_cast<LPCWSTR>(cls), AsWide(SjisToUtf16(text)),
                           WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, s.hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), s.instance, nullptr);
}

// Selects item index, or nothing when the stored byte is out of range; the
// byte itself stays as read until the user chooses.
void SelectItem(HWND list, int index) {
    int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index < count ? index : -1), 0);
}

size_t LongestFolderText(const SettingsRecord& record) {
    size_t longest = 0;
    for (const std::string& folder : RecordFolders(record)) longest = folder.size() > longest ? folder.size() : longest;
    return longest;
}

void SetFolderDropWidth(SettingsWindowState& s) {
    int width = static_cast<int>((LongestFolderText(*s.record) + 1) * Fraction(s.clientWidth, 0.013));
    SendMessageW(s.folderList, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

void FillFolderList(SettingsWindowState& s) {
    SendMessageW(s.folderList, CB_RESETCONTENT, 0, 0);
    for (const std::string& folder : RecordFolders(*s.record)) {
        SendMessageW(s.folderList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(SjisToUtf16(folder))));
    }
    SelectItem(s.folderList, s.record->folder_choice());
    SetFolderDropWidth(s);
}

// Ticked only when the value starts the recorder of this folder.
void ShowStartWithWindows(SettingsWindowState& s, RunEntryOwner owner) {
    SendMessageW(s.startWithWindows, BM_SETCHECK, owner == RunEntryOwner::ThisCopy ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Sets every control from the record (and the start-with-Windows box from
// the registry).
void SyncControls(SettingsWindowState& s) {
    for (int i = 0; i < kTopListCount; ++i) SelectItem(s.lists[i], s.record->data()[kListSpecs[i].offset]);
    FillFolderList(s);
    for (int k = 1; k <= 4; ++k) SetWindowTextSjis(s.edits[k - 1], FormatSlot(*s.record, k).Get());
    SetWindowTextSjis(s.edits[4], s.record->number_output_path().Get());
    ShowStartWithWindows(s, ReadRunEntry(s.recorderRun));
}

LRESULT OnCreate(SettingsWindowState& s) {
    const DWORD listStyle = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    for (int i = 0; i < kTopListCount; ++i) {
        s.lists[i] = AddControl(s, u"COMBOBOX", listStyle, 0, kListSpecs[i].id, "");
        for (const char* item : kListSpecs[i].items) {
            if (!item) break;
            SendMessageW(s.lists[i], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(SjisToUtf16(item))));
        }
    }
    s.folderList = AddControl(s, u"COMBOBOX", listStyle, 0, IDC_FOLDER_LIST, "");
    for (int i = 0; i < 4; ++i) {
        s.edits[i] = AddControl(s, u"EDIT", ES_AUTOHSCROLL | ES_READONLY, WS_EX_CLIENTEDGE,
                                IDC_FOLDER_FORMAT_EDIT + i, "");
    }
    s.edits[4] = AddControl(s, u"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, IDC_NUMBER_OUTPUT_EDIT, "");
    SendMessageW(s.edits[4], EM_LIMITTEXT, SettingsRecord::kPathSize - 1, 0);
    AddControl(s, u"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_ADD_FOLDER, "追加");
    AddControl(s, u"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_DELETE_FOLDER, "削除");
    for (int id = IDC_EDIT_FORMAT_FIRST; id <= IDC_EDIT_FORMAT_LAST; ++id) {
        AddControl(s, u"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, id, "編集");
    }
    AddControl(s, u"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_BROWSE_INCOMING, "参照");
    s.startWithWindows =
        AddControl(s, u"BUTTON", BS_CHECKBOX | WS_TABSTOP, 0, IDC_START_WITH_WINDOWS, "ログオン時に Corvinet を起動する");
    SyncControls(s);
    return 0;
}

void OnSize(SettingsWindowState& s, int width, int height) {
    if (width <= 0 || height <= 0 || !s.folderList) return;
    s.clientWidth = width;
    s.clientHeight = height;
    SettingsLayout l = CurrentLayout(s);
    HFONT font = CreateGothicFont(l.fontHeight, l.fontWidth);
    for (int i = 0; i < kTopListCount; ++i) {
        Place(s.lists[i], l.lists[i], font);
        size_t longest = 0;
        for (const char* item : kListSpecs[i].items) {
            if (item && std::strlen(item) > longest) longest = std::strlen(item);
        }
        SendMessageW(s.lists[i], CB_SETDROPPEDWIDTH, static_cast<WPARAM>((longest + 1) * l.fontWidth), 0);
    }
    Place(s.folderList, l.folderList, font);
    SetFolderDropWidth(s);
    for (int i = 0; i < 5; ++i) Place(s.edits[i], l.edits[i], font);
    Place(GetDlgItem(s.hwnd, IDC_ADD_FOLDER), l.addButton, font);
    Place(GetDlgItem(s.hwnd, IDC_DELETE_FOLDER), l.deleteButton, font);
    for (int i = 0; i < 4; ++i) Place(GetDlgItem(s.hwnd, IDC_EDIT_FORMAT_FIRST + i), l.rowButtons[i], font);
    Place(GetDlgItem(s.hwnd, IDC_BROWSE_INCOMING), l.rowButtons[4], font);
    Place(s.startWithWindows, l.startWithWindows, font);
    s.font.Reset(font);  // the old font goes only once no control uses it
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

void PaintText(HDC dc, int x, int y, const char* sjis) {
    std::u16string text = SjisToUtf16(sjis);
    TextOutW(dc, x, y, AsWide(text), static_cast<int>(text.size()));
}

void OnPaint(SettingsWindowState& s) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(s.hwnd, &paint);
    if (s.font.get()) {
        SettingsLayout l = CurrentLayout(s);
        SelectIn font(dc, s.font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        for (int i = 0; i < kTopListCount; ++i) PaintText(dc, l.labelX[i], l.labelY, kTopListLabels[i]);
        for (int row = 0; row < kLowerRowCount; ++row) {
            PaintText(dc, l.rowLabelX, l.rowLabelY[row], kLowerRowLabels[row]);
        }
    }
    EndPaint(s.hwnd, &paint);
}

void OnCommand(SettingsWindowState& s, int id, int code) {
    if (code == CBN_SELCHANGE) {
        HWND list = GetDlgItem(s.hwnd, id);
        int index = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
        if (index < 0) return;
        if (id == IDC_FOLDER_LIST) {
            s.record->folder_choice() = static_cast<uint8_t>(index);
            return;
        }
        for (const ListSpec& spec : kListSpecs) {
            if (spec.id == id) s.record->data()[spec.offset] = static_cast<uint8_t>(index);
        }
        return;
    }
    if (code != BN_CLICKED) return;
    if (id == IDC_ADD_FOLDER) s.addFolderRequested = true;
    if (id == IDC_DELETE_FOLDER) s.deleteFolderRequested = true;
    if (id >= IDC_EDIT_FORMAT_FIRST && id <= IDC_EDIT_FORMAT_LAST) s.formatRequested = id - IDC_EDIT_FORMAT_FIRST + 1;
    if (id == IDC_BROWSE_INCOMING) s.browseIncomingRequested = true;
    if (id == IDC_START_WITH_WINDOWS) s.startWithWindowsRequested = true;
}

void OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = kEditorMinWidth;
    info->ptMinTrackSize.y = kEditorMinHeight;
}

void OnClose(SettingsWindowState& s) {
    if (s.modalOpen) return;  // that window closes first and may still change the record
    if (!RunFolderTest(FolderTestPath(*s.record))) {
        ShowMessage(s.hwnd, kMsgTestPathTooLong, kCapTestPathTooLong, MB_OK | MB_TOPMOST);
        return;
    }
    HWND incoming = s.edits[4];
    std::string text;
    GetWindowTextSjis(incoming, &text);  // a character without Shift-JIS form becomes "?", refused below
    switch (TakeOverIncomingPath(s.record, text)) {
        case IncomingPathCheck::Ok: break;
        case IncomingPathCheck::TooLong:
            ShowMessage(nullptr, kMsgIncomingTooLong, kCapSettingError, MB_OK | MB_TOPMOST);
            FocusAtEnd(incoming);
            return;
        case IncomingPathCheck::FolderMissing:
            ShowMessage(s.hwnd, kMsgIncomingFolderBad, kCapIncomingFolderBad, MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
            FocusAtEnd(incoming);
            return;
        case IncomingPathCheck::BadFileName:
            ShowMessage(s.hwnd, kMsgIncomingFileBad, kCapIncomingFileBad, MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
            FocusAtEnd(incoming);
            return;
    }
    RECT r;
    if (!IsIconic(s.hwnd) && GetWindowRect(s.hwnd, &r)) {
        const int place[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        for (int i = 0; i < 4; ++i) WritePositionText(s.record->editor_window_text(i), place[i]);
    }
    DestroyWindow(s.hwnd);
}

void OnDestroy(SettingsWindowState& s) {
    s.hwnd = nullptr;
    PostQuitMessage(0);
}

// The shell's folder chooser. chosen is false when cancelled; path is empty
// when the chosen item has no file-system path or one that Shift-JIS cannot
// hold exactly (stored garbled, it would name another folder).
struct FolderChoice {
    bool chosen;
    std::string path;
};

FolderChoice ChooseFolder(SettingsWindowState& s) {
    std::u16string title = SjisToUtf16("フォルダの選択");
    BROWSEINFOW info = {};
    info.hwndOwner = s.hwnd;
    info.lpszTitle = AsWide(title);
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    s.modalOpen = true;
    LPITEMIDLIST item = SHBrowseForFolderW(&info);
    s.modalOpen = false;
    if (!item) return FolderChoice{false, std::string()};
    FolderChoice choice{true, std::string()};
    WCHAR path[MAX_PATH];
    std::string sjis;
    if (SHGetPathFromIDListW(item, path) && WideToSjis(path, lstrlenW(path), &sjis)) choice.path = sjis;
    CoTaskMemFree(item);
    return choice;
}

void AddFolder(SettingsWindowState& s) {
    FolderChoice choice = ChooseFolder(s);
    if (!choice.chosen || !s.hwnd) return;
    int slot = 0;
    switch (AddRecordFolder(s.record, choice.path, &slot)) {
        case AddFolderResult::TooLong:
            ShowMessage(nullptr, kMsgFolderTooLong, kCapSettingError, MB_OK | MB_TOPMOST);
            return;
        case AddFolderResult::Full:
            ShowMessage(s.hwnd, kMsgFolderListFull, kCapError, MB_OK | MB_TOPMOST);
            return;
        case AddFolderResult::Added:
            FillFolderList(s);
            SelectItem(s.folderList, slot);
            return;
    }
}

void DeleteFolder(SettingsWindowState& s) {
    int index = static_cast<int>(SendMessageW(s.folderList, CB_GETCURSEL, 0, 0));
    if (index < 0) return;
    DeleteRecordFolder(s.record, static_cast<size_t>(index));
    FillFolderList(s);
    SelectItem(s.folderList, 0);
}

void OpenFormatEditor(SettingsWindowState& s, int k) {
    s.modalOpen = true;
    RunFormatEditor(FormatEditorTarget{s.instance, s.hwnd, s.edits[k - 1], s.record, s.settingsPath}, k);
    s.modalOpen = false;
}

void BrowseIncomingFolder(SettingsWindowState& s) {
    HWND edit = s.edits[4];
    FolderChoice choice = ChooseFolder(s);
    if (!s.hwnd) return;
    switch (SetIncomingFolder(s.record, choice.chosen ? &choice.path : nullptr)) {
        case IncomingFolderResult::Cancelled: return;
        case IncomingFolderResult::TooLong:
            ShowMessage(nullptr, kMsgIncomingTooLong, kCapSettingError, MB_OK | MB_TOPMOST);
            return;
        case IncomingFolderResult::Stored: break;
    }
    SetWindowTextSjis(edit, s.record->number_output_path().Get());
    FocusAtEnd(edit);
}

// The box was clicked: the opposite of what it shows, asked of the registry.
void ChangeStartWithWindows(SettingsWindowState& s) {
    bool ticked = SendMessageW(s.startWithWindows, BM_GETCHECK, 0, 0) == BST_CHECKED;
    s.modalOpen = true;
    RunEntryOwner owner = ChangeRunEntry(s.recorderRun, !ticked, s.hwnd);
    s.modalOpen = false;
    if (s.hwnd) ShowStartWithWindows(s, owner);
}

void CheckRecorder(SettingsWindowState& s) {
    if (--s.recorderCountdown > 0) return;
    s.recorderCountdown = kRecorderCheckPasses;
    int running = CountProcessesNamed(kLineRecorderProcessName);
    for (int i = 0; i < running; ++i) {
        ShowMessage(nullptr, kMsgRecorderRunning, kCapRecorderRunning, MB_OK | MB_TOPMOST);
    }
}

}  // namespace

bool CreateSettingsWindow(SettingsWindowState* state, HINSTANCE instance, SettingsRecord* record,
                          const std::string& settingsPath, const WorkArea& workArea) {
    state->instance = instance;
    state->record = record;
    state->settingsPath = settingsPath;
    state->background.Reset(CreateSolidBrush(kBackground));
    state->recorderCountdown = kRecorderCheckPasses;
    // Corvinet.exe beside Tessimor.exe, as the package has them.
    std::u16string folder = ThisProgramPath();
    folder.resize(folder.find_last_of(u'\\') + 1);
    state->recorderRun = RunEntry{u"Corvinet", folder + u"Corvinet.exe"};

    if (!RegisterSuiteWindowClass(instance, SuiteWindowClass{reinterpret_cast<LPCWSTR>(kClassName), SettingsWindowProc,
                                                             state->background.get()}))
        return false;

    Rect place = EditorWindowPlacement(*record, workArea);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, reinterpret_cast<LPCWSTR>(kClassName),
                                reinterpret_cast<LPCWSTR>(kClassName), WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                                place.x, place.y, place.width, place.height, nullptr, nullptr, instance, state);
    if (!hwnd) return false;
    RECT client;
    if (state->clientWidth == 0 && GetClientRect(hwnd, &client)) OnSize(*state, client.right, client.bottom);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(hwnd);
    return true;
}

void ServeSettingsRequests(SettingsWindowState* state) {
    SettingsWindowState& s = *state;
    // Each step may show a message during which the user closes the window.
    if (s.hwnd && s.addFolderRequested) {
        s.addFolderRequested = false;
        AddFolder(s);
    }
    if (s.hwnd && s.deleteFolderRequested) {
        s.deleteFolderRequested = false;
        DeleteFolder(s);
    }
    if (s.hwnd && s.formatRequested) {
        int k = s.formatRequested;
        s.formatRequested = 0;
        OpenFormatEditor(s, k);
    }
    if (s.hwnd && s.browseIncomingRequested) {
        s.browseIncomingRequested = false;
        BrowseIncomingFolder(s);
    }
    if (s.hwnd && s.startWithWindowsRequested) {
        s.startWithWindowsRequested = false;
        ChangeStartWithWindows(s);
    }
    if (s.hwnd) CheckRecorder(s);
}

}  // namespace suite
