#include "phonebook/phone_book_list_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include "common/file_layer.h"
#include "common/settings_file.h"
#include "common/text_convert.h"
#include "common/window_win32.h"
#include "phonebook/info_board_window.h"

namespace suite {

const char16_t kPhoneBookListClassName[] = u"電話帳リスト";

namespace {

constexpr COLORREF kBackground = RGB(200, 200, 200);
constexpr UINT kContinueDelete = WM_APP + 1;  // one more chunk of a delete
constexpr UINT_PTR kCountTimer = 1;           // ends the 2 s count display
constexpr size_t kFolderPathLimit = 240;      // bytes

const char kRestartText[] = "いったん録音アプリを閉じて再起動してください。";
const char kRestartCaption[] = "再起動要請";
const char kPathTooLongText[] = "パスの文字サイズが240Byteを超えました場所を見直してください。";
const char kPathTooLongCaption[] = "再設定";

const int kFontControls[] = {kListSearchId, kListSearchButtonId, kListAddId,    kListInfoId,
                             kListDeleteId, kListSizeBoxId,      kListFolderId, kListBrowseId};

}  // namespace

LRESULT CALLBACK PhoneBookListWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PhoneBookListWindow* w = WindowState<PhoneBookListWindow>(hwnd, message, lParam);
    if (!w) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: w->OnCreate(hwnd); return 0;
        case WM_SIZE:
            if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) w->OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT: w->OnPaint(); return 0;
        case WM_LBUTTONDOWN:
            w->OnLeftButton(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_COMMAND: w->OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_NOTIFY: return w->OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_TIMER: w->OnTimer(wParam); return 0;
        case kContinueDelete:
            if (w->list_ && w->list_->ContinueDelete()) PostMessageW(hwnd, kContinueDelete, 0, 0);
            return 0;
        case WM_CLOSE: w->OnClose(); return 0;
        case WM_DESTROY:
            w->hwnd_ = nullptr;
            w->listView_ = nullptr;
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterPhoneBookListClasses(HINSTANCE instance) {
    // The brush lives as long as the class: the program's lifetime.
    bool list = RegisterSuiteWindowClass(instance, SuiteWindowClass{reinterpret_cast<LPCWSTR>(kPhoneBookListClassName),
                                                                    PhoneBookListWindowProc, CreateSolidBrush(kBackground)});
    return RegisterListBoardClass(instance) && list;
}

PhoneBookListWindow::PhoneBookListWindow(HINSTANCE instance, SettingsRecord& settings, PhoneBook& book,
                                         std::string& folder, const InfoBoard& callBoard)
    : instance_(instance),
      settings_(settings),
      book_(book),
      folder_(folder),
      callBoard_(callBoard),
      boardWindow_(instance),
      board_(settings, book, boardWindow_) {}

PhoneBookListWindow::~PhoneBookListWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

// ---- Opening and the tick ----

void PhoneBookListWindow::Open() {
    if (hwnd_) return;
    std::vector<uint8_t> bytes;
    {
        File file;
        uint64_t size = 0;
        if (file.Open(kPosSizeFilePath, File::Mode::ReadCreate) && file.Size(&size) && size > 0) {
            bytes.resize(static_cast<size_t>(size < 16 ? size : 16));
            bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
        }
    }
    WorkArea area = CurrentWorkArea();
    bool defaults = false;
    ListRect place = ListRectFromFile(bytes, area, &defaults);
    if (bytes.empty()) SetListDefaults(&settings_);

    charSize_ = UsableListCharSize(settings_.phone_book_font());
    appliedCharSize_ = 0;
    helpRequest_ = folderRequest_ = infoRequest_ = false;
    list_ = std::make_unique<PhoneBookList>(book_, *this);
    board_.Reset();

    HWND hwnd = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(kPhoneBookListClassName),
                                reinterpret_cast<LPCWSTR>(kPhoneBookListClassName),
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, place.x,
                                place.y, place.width, place.height, nullptr, nullptr, instance_, this);
    if (!hwnd) return;
    boardWindow_.Attach(&board_, hwnd);
    // Filled while hidden: fonts, folder and rows are there when it shows.
    ApplyCharSize();
    SetWindowTextSjis(GetDlgItem(hwnd, kListFolderId), folder_);
    list_->Fill();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    if (settings_.topmost()) {
        SetWindowPos(hwnd, HWND_TOPMOST, place.x, place.y, place.width, place.height, 0);
    }
    UpdateWindow(hwnd);
    if (listView_) SetFocus(listView_);
    if (!openingCount_.empty()) DrawCount(openingCount_, false);
    openingCount_.clear();
}

void PhoneBookListWindow::Tick() {
    if (!hwnd_) return;
    board_.CheckDuplicate(callBoard_.IsOpen(), callBoard_.BoardNumber());
    if (folderRequest_) {
        folderRequest_ = false;
        ChooseFolder();
    }
    if (helpRequest_ && hwnd_) {
        helpRequest_ = false;
        ShowMessage(hwnd_, kListHelpText, kListHelpCaption, MB_OK | MB_TOPMOST);
    }
    // A message box above lets the user close the window meanwhile.
    if (!hwnd_) return;
    if (charSize_ != appliedCharSize_) ApplyCharSize();
    if (list_->Tick()) PostMessageW(hwnd_, kContinueDelete, 0, 0);
    if (infoRequest_ && hwnd_) {
        infoRequest_ = false;
        if (!board_.IsOpen() && !list_->Adding() && list_->CurrentRow() < list_->RowCount()) {
            RECT r;
            GetWindowRect(hwnd_, &r);
            board_.OpenFor(list_->Row(list_->CurrentRow()).number, r.left, r.top);
        }
    }
    if (hwnd_ && board_.Tick()) list_->Reselect();
}

void PhoneBookListWindow::CloseAtExit() {
    if (!hwnd_) return;
    board_.Close();
    while (list_->ContinueDelete()) {
    }
    StorePlace();
    DestroyWindow(hwnd_);
}

// ---- Messages ----

void PhoneBookListWindow::OnCreate(HWND hwnd) {
    hwnd_ = hwnd;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    MakeControl(hwnd, u"EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kListSearchId, instance_);
    MakeControl(hwnd, u"BUTTON", "検索", WS_TABSTOP | BS_PUSHBUTTON, kListSearchButtonId, instance_);
    MakeControl(hwnd, u"BUTTON", "追加", WS_TABSTOP | BS_PUSHBUTTON, kListAddId, instance_);
    MakeControl(hwnd, u"BUTTON", "情報", WS_TABSTOP | BS_PUSHBUTTON, kListInfoId, instance_);
    MakeControl(hwnd, u"BUTTON", "削除", WS_TABSTOP | BS_PUSHBUTTON, kListDeleteId, instance_);
    HWND sizes = MakeControl(hwnd, u"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kListSizeBoxId,
                             instance_);
    for (int f = kMinListCharSize; f <= kMaxListCharSize; ++f) {
        std::u16string item = SjisToUtf16(std::to_string(f));
        SendMessageW(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(item)));
    }
    SendMessageW(sizes, CB_SETCURSEL, static_cast<WPARAM>(charSize_ - kMinListCharSize), 0);
    MakeControl(hwnd, u"EDIT", "", WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, kListFolderId, instance_);
    MakeControl(hwnd, u"BUTTON", "参照", WS_TABSTOP | BS_PUSHBUTTON, kListBrowseId, instance_);

    listView_ = CreateWindowExW(0, WC_LISTVIEWW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                    LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                                0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListViewId)),
                                instance_, nullptr);
    SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const char* titles[] = {"電話番号", "電話帳(ファイル名の一部)"};
    for (int c = 0; c < 2; ++c) {
        std::u16string title = SjisToUtf16(titles[c]);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<LPWSTR>(AsWide(title));
        column.cx = 0;
        column.iSubItem = c;
        SendMessageW(listView_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
}

void PhoneBookListWindow::OnSize(int width, int height) {
    ListLayout l = LayoutList(width, height, charSize_);
    Place(GetDlgItem(hwnd_, kListSearchId), l.search);
    Place(GetDlgItem(hwnd_, kListSearchButtonId), l.searchButton);
    Place(GetDlgItem(hwnd_, kListAddId), l.add);
    Place(GetDlgItem(hwnd_, kListInfoId), l.info);
    Place(GetDlgItem(hwnd_, kListDeleteId), l.remove);
    Place(GetDlgItem(hwnd_, kListSizeBoxId), l.sizeBox);
    Place(GetDlgItem(hwnd_, kListFolderId), l.folder);
    Place(GetDlgItem(hwnd_, kListBrowseId), l.browse);
    Place(listView_, l.list);
}

void PhoneBookListWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    {
        SelectIn font(dc, font_.get());
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, kBackground);
        SetTextColor(dc, RGB(255, 0, 0));
        TextAt(dc, HelpMarkX(charSize_), 7, "？");
        SetTextColor(dc, RGB(0, 0, 0));
        TextAt(dc, FolderLabelX(charSize_), 7, "電話帳保存場所");
    }
    EndPaint(hwnd_, &ps);
}

void PhoneBookListWindow::OnLeftButton(int x, int y) {
    if (OnHelpMark(x, y, charSize_)) helpRequest_ = true;
}

void PhoneBookListWindow::OnCommand(int id, int notification) {
    switch (id) {
        case kListSearchId:
            if (notification == EN_CHANGE) list_->SearchTextChanged();
            break;
        case kListSizeBoxId:
            if (notification == CBN_SELCHANGE) {
                LRESULT k = SendMessageW(GetDlgItem(hwnd_, kListSizeBoxId), CB_GETCURSEL, 0, 0);
                if (k >= 0) charSize_ = UsableListCharSize(static_cast<int>(k) + kMinListCharSize);
                ApplyCharSize();
            }
            break;
        case kListSearchButtonId: {
            std::string key;
            GetWindowTextSjis(GetDlgItem(hwnd_, kListSearchId), &key);
            list_->RequestSearch(key);
            break;
        }
        case kListAddId: list_->RequestAdd(); break;
        case kListInfoId: infoRequest_ = true; break;
        case kListDeleteId: list_->RequestDelete(); break;
        case kListBrowseId: folderRequest_ = true; break;
    }
}

LRESULT PhoneBookListWindow::OnNotify(NMHDR* header) {
    if (header->idFrom != kListViewId || !list_) return 0;
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            auto* d = reinterpret_cast<NMLVDISPINFOW*>(header);
            if (!(d->item.mask & LVIF_TEXT) || !d->item.pszText || d->item.cchTextMax <= 0) return 0;
            const std::string& text = list_->CellText(static_cast<size_t>(d->item.iItem), d->item.iSubItem);
            int n = text.empty() ? 0
                                 : MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()),
                                                       d->item.pszText, d->item.cchTextMax - 1);
            d->item.pszText[n > 0 ? n : 0] = 0;
            return 0;
        }
        case LVN_BEGINLABELEDITW: {
            auto* d = reinterpret_cast<NMLVDISPINFOW*>(header);
            std::optional<std::string> text = list_->BeginEdit(static_cast<size_t>(d->item.iItem));
            if (!text) return TRUE;
            HWND edit = reinterpret_cast<HWND>(SendMessageW(listView_, LVM_GETEDITCONTROL, 0, 0));
            if (edit) SetWindowTextSjis(edit, *text);
            return FALSE;
        }
        case LVN_ENDLABELEDITW: {
            auto* d = reinterpret_cast<NMLVDISPINFOW*>(header);
            FieldText field;
            bool cancelled = d->item.pszText == nullptr;
            if (!cancelled) field.exact = WideToSjis(d->item.pszText, lstrlenW(d->item.pszText), &field.text);
            list_->EndEdit(static_cast<size_t>(d->item.iItem), field, cancelled);
            return FALSE;  // the rows, not the list view, hold the texts
        }
        case LVN_ITEMCHANGED: {
            auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            if (change->iItem >= 0 && (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED)) {
                list_->FocusMoved(static_cast<size_t>(change->iItem));
            }
            return 0;
        }
        case LVN_COLUMNCLICK:
            list_->SortBy(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            return 0;
        case NM_CLICK: {
            LVHITTESTINFO hit = {};
            hit.pt = reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction;
            SendMessageW(listView_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.iItem >= 0) list_->Click(static_cast<size_t>(hit.iItem), hit.iSubItem == 1);
            return 0;
        }
    }
    return 0;
}

void PhoneBookListWindow::OnClose() {
    if (!board_.CloseWithList()) return;
    // A delete under way ends before the window goes: no row half-handled.
    while (list_->ContinueDelete()) {
    }
    StorePlace();
    DestroyWindow(hwnd_);
}

void PhoneBookListWindow::OnTimer(UINT_PTR id) {
    if (id != kCountTimer) return;
    KillTimer(hwnd_, kCountTimer);
    if (listView_) InvalidateRect(listView_, nullptr, TRUE);
}

void PhoneBookListWindow::ApplyCharSize() {
    if (!hwnd_) return;
    HFONT font = CreateGothicFont(2 * charSize_, charSize_);
    SendMessageW(listView_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(listView_, LVM_SETCOLUMNWIDTH, 0, NumberColumnWidth(charSize_));
    SendMessageW(listView_, LVM_SETCOLUMNWIDTH, 1, NameColumnWidth(charSize_));
    for (int id : kFontControls) {
        SendMessageW(GetDlgItem(hwnd_, id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    boardWindow_.SetFont(font, charSize_);
    font_.Reset(font);  // the old font goes once nothing uses it
    appliedCharSize_ = charSize_;
    RECT r;
    GetClientRect(hwnd_, &r);
    OnSize(r.right, r.bottom);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void PhoneBookListWindow::ChooseFolder() {
    std::u16string title = SjisToUtf16("フォルダの選択");
    BROWSEINFOW info = {};
    info.hwndOwner = hwnd_;
    info.lpszTitle = AsWide(title);
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST item = SHBrowseForFolderW(&info);
    if (!item) return;
    WCHAR path[MAX_PATH];
    std::string sjis;
    bool usable = SHGetPathFromIDListW(item, path) && WideToSjis(path, lstrlenW(path), &sjis) && !sjis.empty() &&
                  sjis.size() < kFolderPathLimit;
    CoTaskMemFree(item);
    if (!usable) {
        ShowMessage(hwnd_, kPathTooLongText, kPathTooLongCaption, MB_OK | MB_TOPMOST);
        return;
    }
    folder_ = sjis;
    if (hwnd_) SetWindowTextSjis(GetDlgItem(hwnd_, kListFolderId), folder_);
    ShowMessage(hwnd_, kRestartText, kRestartCaption, MB_OK | MB_TOPMOST);
}

void PhoneBookListWindow::StorePlace() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    std::vector<uint8_t> bytes = ListRectBytes(ListRect{r.left, r.top, r.bottom - r.top, r.right - r.left});
    File file;
    if (file.Open(kPosSizeFilePath, File::Mode::CreateAlways)) file.WriteAt(0, bytes.data(), bytes.size());
    StoreListSettings(&settings_, charSize_, kSettingsFilePath);
}

// ---- What the list's logic asks of the window ----

void PhoneBookListWindow::SetRowCount(size_t count) {
    SendMessageW(listView_, LVM_SETITEMCOUNT, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void PhoneBookListWindow::ShowRow(size_t row) { SendMessageW(listView_, LVM_ENSUREVISIBLE, row, FALSE); }

void PhoneBookListWindow::SelectRow(size_t row, bool edit) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(listView_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    SendMessageW(listView_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(row));
    ShowRow(row);
    if (IsWindowVisible(hwnd_)) SetFocus(listView_);
    if (edit) SendMessageW(listView_, LVM_EDITLABELW, row, 0);
}

std::vector<size_t> PhoneBookListWindow::SelectedRows() {
    std::vector<size_t> rows;
    LRESULT k = -1;
    while ((k = SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(k), LVNI_SELECTED)) >= 0) {
        rows.push_back(static_cast<size_t>(k));
    }
    return rows;
}

void PhoneBookListWindow::Redraw() {
    if (listView_) InvalidateRect(listView_, nullptr, FALSE);
}

void PhoneBookListWindow::ShowCount(const std::string& text, bool deleting, bool final) {
    if (!listView_) return;
    // The fill's count waits until the window shows.
    if (IsWindowVisible(hwnd_)) DrawCount(text, deleting);
    else openingCount_ = text;
    // The count stays 2 s by a timer: the user-interface thread never waits.
    if (final) SetTimer(hwnd_, kCountTimer, 2000, nullptr);
}

void PhoneBookListWindow::DrawCount(const std::string& text, bool deleting) {
    // Rows first, so the count is not painted over at once.
    UpdateWindow(listView_);
    RECT client;
    GetClientRect(listView_, &client);
    HDC dc = GetDC(listView_);
    {
        SelectIn font(dc, font_.get());
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, deleting ? RGB(0, 0, 255) : RGB(255, 255, 255));
        SetTextColor(dc, deleting ? RGB(255, 255, 255) : RGB(0, 0, 0));
        TextAt(dc, client.right / 2 - (deleting ? 100 : 80), client.bottom / 2 - (deleting ? 16 : 12), text.c_str());
    }
    ReleaseDC(listView_, dc);
}

void PhoneBookListWindow::SetSearchButton(bool next) {
    if (hwnd_) SetWindowTextSjis(GetDlgItem(hwnd_, kListSearchButtonId), next ? "次へ" : "検索");
}

void PhoneBookListWindow::Tell(const std::string& text, const std::string& caption) {
    ShowMessage(hwnd_, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

}  // namespace suite
