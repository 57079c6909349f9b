// Shows the call board for a number of a small phone book made in the
// folder "board_preview" of the working directory, driven by a 500 ms tick
// as the recorder drives it.
//
//   info_board_preview.exe [SIZE [SECONDS [NUMBER]]]
//   info_board_preview.exe check [--hold]
//
// SIZE is the character size the board opens with (6, 7, 8, 10 or 12);
// SECONDS ends the preview after that time (default: when a button closed
// the board). NUMBER is the call's number (default the one in the book).
// The settings the board kept are printed at the end.
//
// "check" drives the real window instead, as a user would through its
// controls, and exits with 0 when the board behaved, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "phonebook/info_board.h"
#include "phonebook/info_board_window.h"
#include "phonebook/list_board_window.h"
#include "common/text_convert.h"
#include "common/win32_text.h"

using namespace suite;

namespace {

const char kNumber[] = "0312345678";

class PrintedMessages : public PhoneBookMessages {
public:
    void NoSpace() override { std::printf("no space\n"); }
    void AppendWarning(int remaining) override { std::printf("append warning %d\n", remaining); }
    void CannotOpen(const std::string&) override { std::printf("cannot open\n"); }
    void CannotWrite(const std::string&) override { std::printf("cannot write\n"); }
    void InUse(const std::string&) override { std::printf("in use\n"); }
};

const char kName[] = "山田 太郎（株式会社さくら商事）";
const char kInformation[] =
    "経理部 課長\r\n請求書は月末締め、翌月10日払い\r\n折り返しは午後2時以降を希望\r\n携帯：090-1234-5678";

// ---- check ----

int failures = 0;

void Expect(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++failures;
    }
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// One tick of the main loop's board work, with the messages around it.
void Tick(InfoBoard& board) {
    Pump();
    board.Upkeep();
    board.ProcessRequests();
    Pump();
}

HWND Board() { return FindWindowW(reinterpret_cast<LPCWSTR>(kInfoBoardClassName), nullptr); }

std::string TextOf(HWND window) {
    std::string text;
    GetWindowTextSjis(window, &text);
    return text;
}

RECT ClientRectOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Click(HWND board, int id) { SendMessageW(GetDlgItem(board, id), BM_CLICK, 0, 0); }

bool Checked(HWND board, int id) { return IsDlgButtonChecked(board, id) == BST_CHECKED; }

LOGFONTW FontOf(HWND control) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// What a board held the moment it was shown: a window filled only after
// showing is seen empty for a moment (and read empty by a quick test).
struct AtShow {
    int nameId = 0;
    bool seen = false;
    std::string title, name;
} atShow;

LRESULT CALLBACK WatchShow(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_SHOWWINDOW && m->wParam && !atShow.seen &&
        !(GetWindowLongPtrW(m->hwnd, GWL_STYLE) & WS_CHILD)) {
        atShow.seen = true;
        atShow.title = TextOf(m->hwnd);
        atShow.name = TextOf(GetDlgItem(m->hwnd, atShow.nameId));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

template <class Open>
AtShow TextsWhenShown(int nameId, Open open) {
    atShow = AtShow();
    atShow.nameId = nameId;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchShow, nullptr, GetCurrentThreadId());
    open();
    Pump();
    if (hook) UnhookWindowsHookEx(hook);
    return atShow;
}

// Red pixels where the counter is drawn.
int CounterRedPixels(HWND board) {
    HDC dc = GetDC(board);
    int red = 0;
    for (int y = kCounterY; y < kCounterY + 14; ++y) {
        for (int x = kCounterX; x < kCounterX + 84; ++x) {
            if (GetPixel(dc, x, y) == RGB(255, 0, 0)) ++red;
        }
    }
    ReleaseDC(board, dc);
    return red;
}

// A call opens the board with the record, at once in the stored size;
// size 8, and WM_CLOSE refused. Returns the board.
HWND CheckBoardOpened(InfoBoard& board, SettingsRecord& settings) {
    settings.info_board_font() = 10;
    AtShow shown = TextsWhenShown(kBoardNameId, [&] { board.HandOver(kNumber, kNumberDecoded); });
    Expect(shown.seen && shown.title == BoardTitle(kNumber) && shown.name == kName, "board filled before it shows");
    HWND w = Board();
    Expect(w != nullptr, "board window exists");
    if (!w) return nullptr;
    Expect(Checked(w, IdForCharSize(10)), "size 10 checked before the first tick");
    Expect(FontOf(GetDlgItem(w, kBoardNameId)).lfHeight == 20, "edit font 20 high before the first tick");
    // "check --hold": three seconds with the board as it opened, no tick, for a screenshot.
    for (int i = 0; std::strstr(GetCommandLineA(), "--hold") && i < 60; ++i) {
        Pump();
        Sleep(50);
    }
    Click(w, IdForCharSize(8));
    Tick(board);
    Expect(TextOf(w) == BoardTitle(kNumber), "title");
    Expect(TextOf(GetDlgItem(w, kBoardNameId)) == kName, "name field");
    Expect(TextOf(GetDlgItem(w, kBoardInformationId)) == kInformation, "information field");
    Expect(IsWindowEnabled(GetDlgItem(w, kBoardSaveId)), "save enabled");
    Expect(TextOf(GetDlgItem(w, kBoardSaveId)) == "保存終了", "save text");
    Expect(TextOf(GetDlgItem(w, kBoardUnregisterId)) == "登録不要", "unregister text");
    Expect(Checked(w, IdForCharSize(8)), "size 8 checked");
    Expect(ClientRectOf(GetDlgItem(w, kBoardNameId)).bottom - ClientRectOf(GetDlgItem(w, kBoardNameId)).top == 20,
           "name field 20 high at size 8");
    Expect(FontOf(GetDlgItem(w, kBoardInformationId)).lfHeight == 16, "edit font 16 high at size 8");
    Expect(CounterRedPixels(w) > 20, "counter drawn in red");
    RECT info = ClientRectOf(GetDlgItem(w, kBoardInformationId));
    Expect(info.left == 6 && info.top == 62, "information field at (6, 62)");

    // Closing by the system is refused: only the buttons close the board.
    SendMessageW(w, WM_CLOSE, 0, 0);
    Expect(IsWindow(w), "WM_CLOSE leaves the board open");
    return w;
}

// Size 12, then new texts, a new place and a save.
void CheckSizeAndSave(HWND w, InfoBoard& board, PhoneBook& book, SettingsRecord& settings) {
    Click(w, IdForCharSize(12));
    Tick(board);
    HWND name = GetDlgItem(w, kBoardNameId);
    Expect(Checked(w, IdForCharSize(12)) && !Checked(w, IdForCharSize(8)), "size 12 checked");
    Expect(ClientRectOf(name).bottom - ClientRectOf(name).top == 31, "name field 31 high at size 12");
    Expect(FontOf(name).lfHeight == 24 && FontOf(name).lfWidth == 12, "edit font 24 x 12");
    Expect(TextOf(name) == kName, "name kept across the size change");
    SetWindowTextSjis(name, "佐藤 花子");
    SetWindowTextSjis(GetDlgItem(w, kBoardInformationId), "１行目\r\n２行目");
    MoveWindow(w, 60, 70, 500, 260, TRUE);
    Click(w, kBoardSaveId);
    Expect(IsWindow(w), "board stays until the tick");
    Tick(board);
    Expect(!IsWindow(w) && !Board(), "save closes the board");
    InfoRecord record;
    std::optional<uint32_t> entry = book.FindEntry(kNumber);
    Expect(entry && book.ReadRecord(*entry, &record) && record.name == "佐藤 花子" &&
               record.information == "１行目\r\n２行目",
           "saved record");
    Expect(settings.info_board_font() == 12, "size kept in info_board_font");
    Expect(settings.info_board_rect(0) == 60 && settings.info_board_rect(1) == 70 &&
               settings.info_board_rect(2) == 500 && settings.info_board_rect(3) == 260,
           "window rectangle kept in info_board_rect");
}

// The next board opens at the kept place and size; "登録不要" removes the
// number; a text that is no number gets the notice and no save.
void CheckReopenAndNonNumber(InfoBoard& board, PhoneBook& book) {
    board.OpenFor(kNumber);
    Tick(board);
    HWND w = Board();
    RECT r{};
    if (w) GetWindowRect(w, &r);
    Expect(w && r.left == 60 && r.top == 70 && r.right - r.left == 500, "reopened at the kept place");
    Expect(w && Checked(w, IdForCharSize(12)), "reopened with the kept size");
    // "登録不要" removes the number.
    if (w) Click(w, kBoardUnregisterId);
    Tick(board);
    Expect(!Board() && !book.FindEntry(kNumber), "unregister deletes and closes");

    // Not a number: the notice, save disabled.
    board.HandOver("P0312", kNumberClicked);
    Tick(board);
    w = Board();
    Expect(w && !IsWindowEnabled(GetDlgItem(w, kBoardSaveId)), "save disabled for a non-number");
    Expect(w && TextOf(GetDlgItem(w, kBoardInformationId)) == kNoNumberText, "notice shown");
    if (w) Click(w, kBoardUnregisterId);
    Tick(board);
    Expect(!Board(), "unregister closes the non-number board");
}

// The list's board too is filled before it shows.
void CheckListBoardFilled(HINSTANCE instance) {
    ListBoardWindow listBoard(instance);
    Expect(RegisterListBoardClass(instance), "list board class");
    AtShow shown = TextsWhenShown(kListBoardNameId, [&] {
        listBoard.Create(BoardRect{40, 40, 520, 200}, BoardTitle(kNumber), kName, kInformation);
    });
    Expect(shown.seen && shown.title == BoardTitle(kNumber) && shown.name == kName,
           "list board filled before it shows");
    listBoard.Destroy();
}

int Check(HINSTANCE instance) {
    const char* folder = "board_check";
    CreateDirectoryW(reinterpret_cast<LPCWSTR>(u"board_check"), nullptr);
    for (const char16_t* f : {u"board_check\\InfoIndex.binary", u"board_check\\InfoData.binary",
                              u"board_check\\EriaTable.binary"}) {
        DeleteFileW(reinterpret_cast<LPCWSTR>(f));
    }
    PrintedMessages messages;
    PhoneBook book(messages);
    if (!book.OpenPhoneBook(folder)) return 1;
    book.SaveRecord(kNumber, kName, kInformation);

    SettingsRecord settings;
    settings.MakeDefaults(WorkArea{0, 0, 1024, 768});
    StoreBoardRect(&settings, BoardRect{40, 40, 470, 200});
    if (!RegisterInfoBoardClass(instance)) return 1;
    InfoBoardWindow window(instance, nullptr, nullptr);
    InfoBoard board(settings, book, window);
    window.Attach(&board);

    HWND w = CheckBoardOpened(board, settings);
    if (!w) return 1;
    CheckSizeAndSave(w, board, book, settings);
    CheckReopenAndNonNumber(board, book);
    CheckListBoardFilled(instance);

    book.ClosePhoneBook();
    std::printf("%s\n", failures ? "board check: FAILED" : "board check: passed");
    return failures ? 1 : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (std::strncmp(commandLine, "check", 5) == 0) return Check(instance);
    int size = 8, seconds = 0;
    char number[32] = {};
    std::sscanf(commandLine, "%d %d %31s", &size, &seconds, number);
    if (!number[0]) std::strcpy(number, kNumber);

    CreateDirectoryW(reinterpret_cast<LPCWSTR>(u"board_preview"), nullptr);
    PrintedMessages messages;
    PhoneBook book(messages);
    if (!book.OpenPhoneBook("board_preview")) return 1;
    book.SaveRecord(kNumber, kName, kInformation);

    SettingsRecord settings;
    RECT work{0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    settings.MakeDefaults(WorkArea{work.left, work.top, work.right, work.bottom});
    settings.info_board_font() = static_cast<uint8_t>(size);
    StoreBoardRect(&settings, BoardRect{40, 40, 470, 200});

    if (!RegisterInfoBoardClass(instance)) return 1;
    InfoBoardWindow window(instance, nullptr, nullptr);
    InfoBoard board(settings, book, window);
    window.Attach(&board);
    board.HandOver(number, kNumberDecoded);
    if (!board.IsOpen()) return 1;

    SetTimer(nullptr, 0, 500, nullptr);
    DWORD end = seconds > 0 ? GetTickCount() + static_cast<DWORD>(seconds) * 1000 : 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (msg.message != WM_TIMER) continue;
        board.Upkeep();
        board.ProcessRequests();
        if (!board.IsOpen() || (end && static_cast<LONG>(GetTickCount() - end) >= 0)) break;
    }
    board.Close();
    std::printf("info_board_font %d, info_board_rect %d %d %d %d\n", settings.info_board_font(),
                settings.info_board_rect(0), settings.info_board_rect(1), settings.info_board_rect(2),
                settings.info_board_rect(3));
    book.ClosePhoneBook();
    return 0;
}
