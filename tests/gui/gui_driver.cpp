// A console driver for GUI tests under Wine: finds the windows of a running
// program by class, works its controls as a user would and answers its
// message boxes. One subcommand per run; exit code 0 on success, 1 on a
// failed expectation or timeout, 2 on a usage error. Message boxes are
// modal, so the driver must be a process of its own.
//
// Arguments are taken from GetCommandLineW: texts given in UTF-8 on the
// shell reach the driver as UTF-16 whatever the narrow argv holds. Texts
// are printed in UTF-8.
#include <windows.h>
#include <mmsystem.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/file_layer.h"
#include "common/win32_text.h"
#include "tests/gui/wall_clock.h"

namespace {

using Text = std::u16string;  // UTF-16, as the W functions take it
using suite::AsWide;

const DWORD kPollMs = 50;
const DWORD kDefaultTimeoutMs = 10000;
const UINT kSendTimeoutMs = 5000;
const int kMessageTextId = 0xFFFF;


std::string ToUtf8(const Text& t) {
    if (t.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, AsWide(t), static_cast<int>(t.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, AsWide(t), static_cast<int>(t.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// Newlines and other control characters are shown escaped, so that a
// message text stays on one line of the test log.
std::string Printable(const Text& t) {
    std::string out;
    for (char c : ToUtf8(t)) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "gui_driver: %s\n", message.c_str());
    std::fflush(stderr);
    std::exit(1);
}

[[noreturn]] void Usage(const std::string& message) {
    std::fprintf(stderr, "gui_driver: %s\n", message.c_str());
    std::fprintf(stderr,
        "usage: gui_driver COMMAND ARGS...\n"
        "  wait-window CLASS [TIMEOUT_MS]        a visible top-level window of CLASS\n"
        "  wait-gone CLASS [TIMEOUT_MS]          no window of CLASS any more\n"
        "  exists CLASS                          exit 0 when a window of CLASS exists\n"
        "  select CLASS ID INDEX                 choose item INDEX of a drop-down list\n"
        "  click CLASS ID                        press a button\n"
        "  set-text CLASS ID TEXT                replace a control's text\n"
        "  get-text CLASS ID                     print a control's text (ID 0: the window's)\n"
        "  wait-text CLASS ID TEXT [TIMEOUT_MS]  until a visible window of CLASS shows TEXT in ID (0: title)\n"
        "  get-selection CLASS ID                print the chosen index of a list (a button: 1 checked, 0 not)\n"
        "  list-items CLASS ID                   print the items of a list, one a line\n"
        "  get-rect CLASS                        print x y width height of the window\n"
        "  move CLASS X Y WIDTH HEIGHT           move and size the window\n"
        "  close CLASS                           ask the window to close (WM_CLOSE)\n"
        "  end-session CLASS                     send WM_QUERYENDSESSION, then WM_ENDSESSION (ending)\n"
        "  expect-message TEXT [TIMEOUT_MS] [--button B] [--caption C]\n"
        "                                        wait for a message box with TEXT, press B (OK)\n"
        "  answer-message BUTTON [TIMEOUT_MS]    press BUTTON of the message box shown\n"
        "  get-message [TIMEOUT_MS]              print caption and text of the message box\n"
        "  no-message MS                         fail if a message box appears within MS\n"
        "  browse-select [PATH] [TIMEOUT_MS]     in the folder browser, choose PATH, press OK\n"
        "  browse-cancel [TIMEOUT_MS]            press Cancel in the folder browser\n"
        "  find-class PREFIX [TIMEOUT_MS]        print the class of a top-level window whose class\n"
        "                                        begins with PREFIX (a visible one first)\n"
        "  client-rect CLASS                     print the client area's screen x y width height\n"
        "  is-visible CLASS                      exit 0 when the window is visible\n"
        "  window-state CLASS                    print visible, iconic, minimizebox, topmost (0/1)\n"
        "  wave-inputs                           print the wave-in device names, one a line\n"
        "  tray-icon CLASS delete|exists         remove, or test for, the window's notification icon 1\n"
        "  send-registered CLASS NAME            send the registered message NAME to the window\n"
        "  can-write PATH                        exit 0 when PATH opens for writing, as another program would\n"
        "  rename-path FROM TO                   the file layer's move (RenamePath); exit 0 moved, 1 refused\n"
        "  click-at CLASS X Y                    left click at a client position (the pointer moved there)\n"
        "  is-enabled CLASS [ID]                 exit 0 when the window (or control) is enabled\n"
        "  post-command CLASS ID                 post WM_COMMAND ID to the window (a menu choice)\n"
        "  post-message CLASS MSG WPARAM LPARAM  post a message to the window (decimal numbers)\n"
        "  is-foreground CLASS                   exit 0 when the window is the foreground window\n"
        "BUTTON/B: OK, CANCEL, YES, NO or none.\n"
        "close and end-session print asked_at=UNIX_SECONDS, the moment they ask.\n");
    std::exit(2);
}

DWORD ParseNumber(const Text& t, const char* what) {
    std::string s = ToUtf8(t);
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v < 0) Usage(std::string("not a number for ") + what + ": " + s);
    return static_cast<DWORD>(v);
}

int ParseSigned(const Text& t, const char* what) {
    std::string s = ToUtf8(t);
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0') Usage(std::string("not a number for ") + what + ": " + s);
    return static_cast<int>(v);
}

Text WindowText(HWND hwnd) {
    // WM_GETTEXT works across processes, GetWindowTextW does not for controls.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        Fail("window does not answer WM_GETTEXTLENGTH");
    std::vector<WCHAR> buffer(length + 1, 0);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        Fail("window does not answer WM_GETTEXT");
    return Text(reinterpret_cast<const char16_t*>(buffer.data()), copied);
}

Text ClassOf(HWND hwnd) {
    WCHAR name[256] = {0};
    int n = GetClassNameW(hwnd, name, 256);
    return Text(reinterpret_cast<const char16_t*>(name), n > 0 ? n : 0);
}

bool SameClass(HWND hwnd, const char16_t* name) {
    return lstrcmpiW(AsWide(ClassOf(hwnd)), reinterpret_cast<LPCWSTR>(name)) == 0;
}

HWND FindTop(const Text& cls) { return FindWindowW(AsWide(cls), nullptr); }

HWND WaitTop(const Text& cls, DWORD timeoutMs, bool visible) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindTop(cls);
        if (hwnd && (!visible || IsWindowVisible(hwnd))) return hwnd;
        if (GetTickCount() - start >= timeoutMs)
            Fail("no " + std::string(visible ? "visible " : "") + "window of class \"" + ToUtf8(cls) +
                 "\" within " + std::to_string(timeoutMs) + " ms");
        Sleep(kPollMs);
    }
}

HWND RequireTop(const Text& cls) {
    HWND hwnd = FindTop(cls);
    if (!hwnd) Fail("no window of class \"" + ToUtf8(cls) + "\"");
    return hwnd;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM p) {
    auto* s = reinterpret_cast<ControlSearch*>(p);
    if (GetDlgCtrlID(child) != s->id) return TRUE;
    s->found = child;
    return FALSE;
}

// A control of the window by id, searched at any depth.
HWND RequireControl(HWND top, const Text& cls, int id) {
    ControlSearch search = {id, nullptr};
    EnumChildWindows(top, MatchControl, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Fail("window \"" + ToUtf8(cls) + "\" has no control " + std::to_string(id));
    return search.found;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, const char* what) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        Fail(std::string("no answer to ") + what);
    return static_cast<LRESULT>(result);
}

// Waits until the window's thread has handled everything posted before:
// a sent message is served by any message loop, modal ones included.
void Sync(HWND hwnd) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

void Notify(HWND control, WORD code) {
    HWND parent = GetParent(control);
    WPARAM wp = MAKEWPARAM(GetDlgCtrlID(control), code);
    Send(parent, WM_COMMAND, wp, reinterpret_cast<LPARAM>(control), "WM_COMMAND");
}

// Message boxes: top-level dialogs with the static text control 0xFFFF.
struct MessageBoxes {
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMessageBox(HWND hwnd, LPARAM p) {
    if (!IsWindowVisible(hwnd) || !SameClass(hwnd, u"#32770")) return TRUE;
    if (!GetDlgItem(hwnd, kMessageTextId)) return TRUE;
    reinterpret_cast<MessageBoxes*>(p)->found.push_back(hwnd);
    return TRUE;
}

HWND FindMessageBox() {
    MessageBoxes boxes;
    EnumWindows(CollectMessageBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes.found.empty() ? nullptr : boxes.found.front();
}

HWND WaitMessageBox(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND box = FindMessageBox();
        if (box) return box;
        if (GetTickCount() - start >= timeoutMs)
            Fail("no message box within " + std::to_string(timeoutMs) + " ms");
        Sleep(kPollMs);
    }
}

Text MessageText(HWND box) { return WindowText(GetDlgItem(box, kMessageTextId)); }

int ButtonId(const Text& name) {
    std::string n = ToUtf8(name);
    for (char& c : n) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    if (n == "OK") return IDOK;
    if (n == "CANCEL") return IDCANCEL;
    if (n == "YES") return IDYES;
    if (n == "NO") return IDNO;
    if (n == "NONE") return 0;
    Usage("unknown button " + ToUtf8(name));
}

// Presses a dialog button as a click would. Posted, not sent: the click may
// open another modal window, and the driver must not wait inside it.
void PressDialogButton(HWND dialog, int id, const char* what) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) Fail(std::string(what) + " has no button " + std::to_string(id));
    PostMessageW(button, BM_CLICK, 0, 0);
}

void WaitWindowGone(HWND hwnd, DWORD timeoutMs, const std::string& what) {
    DWORD start = GetTickCount();
    while (IsWindow(hwnd)) {
        if (GetTickCount() - start >= timeoutMs) Fail(what + " did not close");
        Sleep(kPollMs);
    }
}

// ---- commands ----

using Args = std::vector<Text>;

void Need(const Args& a, size_t min, size_t max, const char* command) {
    if (a.size() < min || a.size() > max) Usage(std::string("wrong arguments for ") + command);
}

int CmdWaitWindow(const Args& a) {
    Need(a, 1, 2, "wait-window");
    WaitTop(a[0], a.size() > 1 ? ParseNumber(a[1], "timeout") : kDefaultTimeoutMs, true);
    return 0;
}

int CmdWaitGone(const Args& a) {
    Need(a, 1, 2, "wait-gone");
    DWORD timeout = a.size() > 1 ? ParseNumber(a[1], "timeout") : kDefaultTimeoutMs;
    DWORD start = GetTickCount();
    while (FindTop(a[0])) {
        if (GetTickCount() - start >= timeout)
            Fail("window of class \"" + ToUtf8(a[0]) + "\" still there after " + std::to_string(timeout) + " ms");
        Sleep(kPollMs);
    }
    return 0;
}

int CmdExists(const Args& a) {
    Need(a, 1, 1, "exists");
    return FindTop(a[0]) ? 0 : 1;
}

int CmdSelect(const Args& a) {
    Need(a, 3, 3, "select");
    HWND top = RequireTop(a[0]);
    HWND list = RequireControl(top, a[0], static_cast<int>(ParseNumber(a[1], "id")));
    DWORD index = ParseNumber(a[2], "index");
    LRESULT count = Send(list, CB_GETCOUNT, 0, 0, "CB_GETCOUNT");
    if (static_cast<LRESULT>(index) >= count)
        Fail("list " + ToUtf8(a[1]) + " has " + std::to_string(count) + " items, no index " + ToUtf8(a[2]));
    if (Send(list, CB_SETCURSEL, index, 0, "CB_SETCURSEL") != static_cast<LRESULT>(index))
        Fail("CB_SETCURSEL refused");
    // CB_SETCURSEL does not notify; a user's choice does.
    Notify(list, CBN_SELCHANGE);
    Notify(list, CBN_SELENDOK);
    return 0;
}

int CmdClick(const Args& a) {
    Need(a, 2, 2, "click");
    HWND top = RequireTop(a[0]);
    HWND button = RequireControl(top, a[0], static_cast<int>(ParseNumber(a[1], "id")));
    if (!IsWindowEnabled(button)) Fail("button " + ToUtf8(a[1]) + " is disabled");
    if (!IsWindowEnabled(top)) Fail("window \"" + ToUtf8(a[0]) + "\" is disabled (a modal window is open)");
    PostMessageW(button, BM_CLICK, 0, 0);
    Sync(button);
    return 0;
}

int CmdSetText(const Args& a) {
    Need(a, 3, 3, "set-text");
    HWND top = RequireTop(a[0]);
    HWND control = RequireControl(top, a[0], static_cast<int>(ParseNumber(a[1], "id")));
    if (!Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(AsWide(a[2])), "WM_SETTEXT"))
        Fail("WM_SETTEXT refused");
    if (SameClass(control, u"Edit")) {
        // Typing ends with these two notifications; a single-line edit may
        // already have sent them for WM_SETTEXT, a repeat is what a second
        // keystroke would give.
        Notify(control, EN_UPDATE);
        Notify(control, EN_CHANGE);
    }
    return 0;
}

int CmdGetText(const Args& a) {
    Need(a, 2, 2, "get-text");
    HWND top = RequireTop(a[0]);
    int id = static_cast<int>(ParseNumber(a[1], "id"));
    HWND target = id == 0 ? top : RequireControl(top, a[0], id);
    std::printf("%s\n", ToUtf8(WindowText(target)).c_str());
    return 0;
}

int CmdWaitText(const Args& a) {
    Need(a, 3, 4, "wait-text");
    int id = static_cast<int>(ParseNumber(a[1], "id"));
    DWORD timeout = a.size() > 3 ? ParseNumber(a[3], "timeout") : kDefaultTimeoutMs;
    DWORD start = GetTickCount();
    Text seen;
    for (;;) {
        HWND top = FindTop(a[0]);
        if (top && IsWindowVisible(top)) {
            seen = WindowText(id == 0 ? top : RequireControl(top, a[0], id));
            if (seen == a[2]) return 0;
        }
        if (GetTickCount() - start >= timeout)
            Fail("control " + ToUtf8(a[1]) + " of \"" + ToUtf8(a[0]) + "\" shows \"" + Printable(seen) + "\", not \"" +
                 Printable(a[2]) + "\" within " + std::to_string(timeout) + " ms");
        Sleep(kPollMs);
    }
}

int CmdGetSelection(const Args& a) {
    Need(a, 2, 2, "get-selection");
    HWND top = RequireTop(a[0]);
    HWND list = RequireControl(top, a[0], static_cast<int>(ParseNumber(a[1], "id")));
    if (SameClass(list, u"Button")) {
        std::printf("%d\n", Send(list, BM_GETCHECK, 0, 0, "BM_GETCHECK") == BST_CHECKED ? 1 : 0);
        return 0;
    }
    std::printf("%ld\n", static_cast<long>(Send(list, CB_GETCURSEL, 0, 0, "CB_GETCURSEL")));
    return 0;
}

int CmdListItems(const Args& a) {
    Need(a, 2, 2, "list-items");
    HWND top = RequireTop(a[0]);
    HWND list = RequireControl(top, a[0], static_cast<int>(ParseNumber(a[1], "id")));
    bool combo = SameClass(list, u"ComboBox");
    UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT getLength = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
    LRESULT count = Send(list, getCount, 0, 0, "GETCOUNT");
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = Send(list, getLength, i, 0, "GETTEXTLEN");
        if (length < 0) Fail("item " + std::to_string(i) + " has no text");
        std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1, 0);
        LRESULT copied = Send(list, getText, i, reinterpret_cast<LPARAM>(buffer.data()), "GETTEXT");
        if (copied < 0) copied = 0;
        std::printf("%s\n", ToUtf8(Text(reinterpret_cast<const char16_t*>(buffer.data()), copied)).c_str());
    }
    return 0;
}

int CmdGetRect(const Args& a) {
    Need(a, 1, 1, "get-rect");
    HWND top = RequireTop(a[0]);
    RECT r;
    GetWindowRect(top, &r);
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top));
    return 0;
}

int CmdMove(const Args& a) {
    Need(a, 5, 5, "move");
    HWND top = RequireTop(a[0]);
    int x = ParseSigned(a[1], "x"), y = ParseSigned(a[2], "y");
    int w = ParseSigned(a[3], "width"), h = ParseSigned(a[4], "height");
    if (!SetWindowPos(top, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE))
        Fail("SetWindowPos failed");
    Sync(top);
    return 0;
}

int CmdClose(const Args& a) {
    Need(a, 1, 1, "close");
    HWND top = RequireTop(a[0]);
    // Posted: closing may show a modal message box.
    std::printf("asked_at=%.4f\n", UnixSeconds());
    PostMessageW(top, WM_CLOSE, 0, 0);
    Sync(top);
    return 0;
}

// Windows ending the session, as the window sees it: both messages sent, so
// whatever the window does for them is done when this returns.
int CmdEndSession(const Args& a) {
    Need(a, 1, 1, "end-session");
    HWND top = RequireTop(a[0]);
    DWORD_PTR answer = 0;
    std::printf("asked_at=%.4f\n", UnixSeconds());
    if (!SendMessageTimeoutW(top, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer))
        Fail("WM_QUERYENDSESSION was not answered");
    std::printf("query=%d\n", answer ? 1 : 0);
    if (!SendMessageTimeoutW(top, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer))
        Fail("WM_ENDSESSION was not answered");
    return 0;
}

// Splits "--name value" options off the positional arguments.
Args TakeOptions(const Args& a, const char16_t* names[], Text* values[], size_t n) {
    Args rest;
    for (size_t i = 0; i < a.size(); ++i) {
        bool taken = false;
        for (size_t k = 0; k < n; ++k) {
            if (a[i] == names[k]) {
                if (i + 1 >= a.size()) Usage("missing value for " + ToUtf8(a[i]));
                *values[k] = a[++i];
                taken = true;
            }
        }
        if (!taken) rest.push_back(a[i]);
    }
    return rest;
}

void Answer(HWND box, int button) {
    if (button == 0) return;
    PressDialogButton(box, button, "message box");
    WaitWindowGone(box, kDefaultTimeoutMs, "message box");
}

int CmdExpectMessage(const Args& all) {
    Text button = u"OK", caption, captionSet = u"\x1";
    caption = captionSet;
    const char16_t* names[] = {u"--button", u"--caption"};
    Text* values[] = {&button, &caption};
    Args a = TakeOptions(all, names, values, 2);
    Need(a, 1, 2, "expect-message");
    int id = ButtonId(button);
    HWND box = WaitMessageBox(a.size() > 1 ? ParseNumber(a[1], "timeout") : kDefaultTimeoutMs);
    Text text = MessageText(box);
    Text title = WindowText(box);
    if (text != a[0])
        Fail("message box says \"" + Printable(text) + "\", expected \"" + Printable(a[0]) + "\"");
    if (caption != captionSet && title != caption)
        Fail("message box caption is \"" + Printable(title) + "\", expected \"" + Printable(caption) + "\"");
    Answer(box, id);
    return 0;
}

int CmdAnswerMessage(const Args& a) {
    Need(a, 1, 2, "answer-message");
    int id = ButtonId(a[0]);
    HWND box = WaitMessageBox(a.size() > 1 ? ParseNumber(a[1], "timeout") : kDefaultTimeoutMs);
    std::printf("%s\n", Printable(MessageText(box)).c_str());
    Answer(box, id);
    return 0;
}

int CmdGetMessage(const Args& a) {
    Need(a, 0, 1, "get-message");
    HWND box = WaitMessageBox(a.size() > 0 ? ParseNumber(a[0], "timeout") : kDefaultTimeoutMs);
    std::printf("%s\n%s\n", Printable(WindowText(box)).c_str(), Printable(MessageText(box)).c_str());
    return 0;
}

int CmdNoMessage(const Args& a) {
    Need(a, 1, 1, "no-message");
    DWORD span = ParseNumber(a[0], "milliseconds");
    DWORD start = GetTickCount();
    for (;;) {
        HWND box = FindMessageBox();
        if (box) Fail("unexpected message box \"" + Printable(WindowText(box)) + "\": \"" +
                      Printable(MessageText(box)) + "\"");
        if (GetTickCount() - start >= span) return 0;
        Sleep(kPollMs);
    }
}

BOOL CALLBACK MatchFolderBrowser(HWND hwnd, LPARAM p) {
    if (!IsWindowVisible(hwnd) || !SameClass(hwnd, u"#32770")) return TRUE;
    if (!FindWindowExW(hwnd, nullptr, WC_TREEVIEWW, nullptr)) return TRUE;
    *reinterpret_cast<HWND*>(p) = hwnd;
    return FALSE;
}

// The shell's folder browser: a dialog with a tree view.
HWND WaitFolderBrowser(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = nullptr;
        EnumWindows(MatchFolderBrowser, reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        if (GetTickCount() - start >= timeoutMs)
            Fail("no folder browser within " + std::to_string(timeoutMs) + " ms");
        Sleep(kPollMs);
    }
}

// Memory in another process, for messages whose parameters are pointers.
class RemoteMemory {
public:
    RemoteMemory(HWND owner, SIZE_T bytes) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            base_ = static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!base_) Fail("cannot reach the memory of the window's process");
    }
    ~RemoteMemory() {
        if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    BYTE* At(SIZE_T offset) const { return base_ + offset; }
    void Write(SIZE_T offset, const void* data, SIZE_T n) {
        if (!WriteProcessMemory(process_, base_ + offset, data, n, nullptr)) Fail("WriteProcessMemory failed");
    }
    void Read(SIZE_T offset, void* data, SIZE_T n) {
        if (!ReadProcessMemory(process_, base_ + offset, data, n, nullptr)) Fail("ReadProcessMemory failed");
    }

private:
    HANDLE process_ = nullptr;
    BYTE* base_ = nullptr;
};

// The label of a tree item, read through the tree's own process.
Text TreeItemLabel(HWND tree, HTREEITEM item) {
    const SIZE_T kChars = 512, kTextAt = 256;
    RemoteMemory remote(tree, kTextAt + kChars * sizeof(WCHAR));
    TVITEMW query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = reinterpret_cast<LPWSTR>(remote.At(kTextAt));
    query.cchTextMax = kChars;
    remote.Write(0, &query, sizeof(query));
    WCHAR zero = 0;
    remote.Write(kTextAt, &zero, sizeof(zero));
    Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.At(0)), "TVM_GETITEMW");
    std::vector<WCHAR> label(kChars, 0);
    remote.Read(kTextAt, label.data(), kChars * sizeof(WCHAR));
    label.back() = 0;
    return Text(reinterpret_cast<const char16_t*>(label.data()), lstrlenW(label.data()));
}

Text LastComponent(const Text& path) {
    Text p = path;
    while (!p.empty() && (p.back() == u'\\' || p.back() == u'/')) p.pop_back();
    size_t cut = p.find_last_of(u"\\/");
    return cut == Text::npos ? p : p.substr(cut + 1);
}

// Asks the browser to select PATH (BFFM_SETSELECTIONW; the path is copied
// into the browser's process) until the selected item is labelled with the
// path's last component. The first browser of a new prefix has been seen
// to ignore the request while the shell still fills its tree.
Text BrowserSelect(HWND browser, const Text& path, DWORD timeoutMs) {
    HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
    RemoteMemory remote(browser, (path.size() + 1) * sizeof(WCHAR));
    remote.Write(0, AsWide(path), (path.size() + 1) * sizeof(WCHAR));
    Text want = LastComponent(path);
    Text label;
    DWORD start = GetTickCount();
    for (;;) {
        Send(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote.At(0)), "BFFM_SETSELECTIONW");
        auto item = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, "TVM_GETNEXTITEM"));
        if (item) {
            label = TreeItemLabel(tree, item);
            if (label == want || (want.size() <= 2 && !label.empty())) return label;  // drives have labels of their own
        }
        if (GetTickCount() - start >= timeoutMs)
            Fail("the folder browser does not select " + ToUtf8(path) + " (selected: \"" + ToUtf8(label) + "\")");
        Sleep(200);
    }
}

int CmdBrowseSelect(const Args& a) {
    Need(a, 0, 2, "browse-select");
    Text path = a.size() > 0 ? a[0] : Text();
    HWND browser = WaitFolderBrowser(a.size() > 1 ? ParseNumber(a[1], "timeout") : kDefaultTimeoutMs);
    if (!path.empty()) std::printf("%s\n", ToUtf8(BrowserSelect(browser, path, kDefaultTimeoutMs)).c_str());
    PressDialogButton(browser, IDOK, "folder browser");
    WaitWindowGone(browser, kDefaultTimeoutMs, "folder browser");
    return 0;
}

int CmdBrowseCancel(const Args& a) {
    Need(a, 0, 1, "browse-cancel");
    HWND browser = WaitFolderBrowser(a.size() > 0 ? ParseNumber(a[0], "timeout") : kDefaultTimeoutMs);
    PressDialogButton(browser, IDCANCEL, "folder browser");
    WaitWindowGone(browser, kDefaultTimeoutMs, "folder browser");
    return 0;
}

struct PrefixSearch {
    Text prefix;
    HWND visible = nullptr;
    HWND hidden = nullptr;
};

BOOL CALLBACK MatchClassPrefix(HWND hwnd, LPARAM p) {
    auto* s = reinterpret_cast<PrefixSearch*>(p);
    Text cls = ClassOf(hwnd);
    if (cls.compare(0, s->prefix.size(), s->prefix) != 0) return TRUE;
    if (IsWindowVisible(hwnd)) {
        s->visible = hwnd;
        return FALSE;
    }
    if (!s->hidden) s->hidden = hwnd;
    return TRUE;
}

// Programs whose class name holds a changing part (a device name) are
// found by the fixed beginning.
int CmdFindClass(const Args& a) {
    Need(a, 1, 2, "find-class");
    DWORD timeout = a.size() > 1 ? ParseNumber(a[1], "timeout") : kDefaultTimeoutMs;
    DWORD start = GetTickCount();
    for (;;) {
        PrefixSearch search;
        search.prefix = a[0];
        EnumWindows(MatchClassPrefix, reinterpret_cast<LPARAM>(&search));
        HWND found = search.visible ? search.visible : search.hidden;
        if (found) {
            std::printf("%s\n", ToUtf8(ClassOf(found)).c_str());
            return 0;
        }
        if (GetTickCount() - start >= timeout)
            Fail("no window whose class begins with \"" + ToUtf8(a[0]) + "\" within " + std::to_string(timeout) + " ms");
        Sleep(kPollMs);
    }
}

int CmdClientRect(const Args& a) {
    Need(a, 1, 1, "client-rect");
    HWND top = RequireTop(a[0]);
    RECT r;
    GetClientRect(top, &r);
    POINT origin = {0, 0};
    ClientToScreen(top, &origin);
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(origin.x), static_cast<long>(origin.y),
                static_cast<long>(r.right), static_cast<long>(r.bottom));
    return 0;
}

int CmdIsVisible(const Args& a) {
    Need(a, 1, 1, "is-visible");
    return IsWindowVisible(RequireTop(a[0])) ? 0 : 1;
}

int CmdWindowState(const Args& a) {
    Need(a, 1, 1, "window-state");
    HWND top = RequireTop(a[0]);
    LONG style = GetWindowLongW(top, GWL_STYLE);
    LONG exStyle = GetWindowLongW(top, GWL_EXSTYLE);
    std::printf("visible=%d iconic=%d minimizebox=%d topmost=%d\n", IsWindowVisible(top) ? 1 : 0,
                IsIconic(top) ? 1 : 0, (style & WS_MINIMIZEBOX) ? 1 : 0, (exStyle & WS_EX_TOPMOST) ? 1 : 0);
    return 0;
}

// The capture devices as a program sees them. WinMM is loaded here rather
// than linked: the driver needs it for this one command.
int CmdWaveInputs(const Args& a) {
    Need(a, 0, 0, "wave-inputs");
    HMODULE winmm = LoadLibraryW(L"winmm.dll");
    if (!winmm) Fail("cannot load winmm.dll");
    using CountFn = UINT(WINAPI*)();
    using CapsFn = MMRESULT(WINAPI*)(UINT_PTR, WAVEINCAPSW*, UINT);
    auto count = reinterpret_cast<CountFn>(reinterpret_cast<void*>(GetProcAddress(winmm, "waveInGetNumDevs")));
    auto caps = reinterpret_cast<CapsFn>(reinterpret_cast<void*>(GetProcAddress(winmm, "waveInGetDevCapsW")));
    if (!count || !caps) Fail("winmm.dll lacks the wave-in functions");
    UINT n = count();
    for (UINT i = 0; i < n; ++i) {
        WAVEINCAPSW c = {};
        if (caps(i, &c, sizeof(c)) != MMSYSERR_NOERROR) {
            std::printf("?\n");
            continue;
        }
        std::printf("%s\n", ToUtf8(Text(reinterpret_cast<const char16_t*>(c.szPname), lstrlenW(c.szPname))).c_str());
    }
    return 0;
}

// Whether another program could write a file now (shared as most programs
// share); prints the refusal's error code.
int CmdCanWrite(const Args& a) {
    Need(a, 1, 1, "can-write");
    HANDLE h = CreateFileW(AsWide(a[0]), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::printf("refused %lu\n", GetLastError());
        return 1;
    }
    CloseHandle(h);
    return 0;
}

// The file layer's move, as the recorders save a recording: exit 0 moved,
// 1 refused.
int CmdRenamePath(const Args& a) {
    Need(a, 2, 2, "rename-path");
    std::string from, to;
    if (!suite::WideToSjis(AsWide(a[0]), static_cast<int>(a[0].size()), &from) ||
        !suite::WideToSjis(AsWide(a[1]), static_cast<int>(a[1].size()), &to)) {
        Usage("rename-path: a path without a Shift-JIS form");
    }
    return suite::RenamePath(from, to) ? 0 : 1;
}

// The notification icon a window added (identifier 1): deleted, as a task
// bar that restarts loses it, or tested (a change to nothing succeeds only
// for an icon that exists).
int CmdTrayIcon(const Args& a) {
    Need(a, 2, 2, "tray-icon");
    std::string action = ToUtf8(a[1]);
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = RequireTop(a[0]);
    data.uID = 1;
    if (action == "delete") return Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
    if (action == "exists") return Shell_NotifyIconW(NIM_MODIFY, &data) ? 0 : 1;
    Usage("tray-icon: delete or exists");
}

// Sends a registered window message ("TaskbarCreated") to the window and
// waits until it has been handled.
int CmdSendRegistered(const Args& a) {
    Need(a, 2, 2, "send-registered");
    HWND top = RequireTop(a[0]);
    UINT message = RegisterWindowMessageW(AsWide(a[1]));
    if (!message) Fail("cannot register the message " + ToUtf8(a[1]));
    Send(top, message, 0, 0, ToUtf8(a[1]).c_str());
    return 0;
}

// ---- List views (common controls): their messages carry pointers, which
// must point into the program's own memory.

// A buffer in another process's memory.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!process_) Fail("cannot open the program's process");
        address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!address_) Fail("cannot allocate in the program's process");
    }
    ~RemoteBuffer() {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    LPARAM At(size_t offset = 0) const { return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset); }
    void Write(const void* data, size_t n, size_t offset = 0) {
        SIZE_T done = 0;
        if (offset + n > size_ || !WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, n, &done))
            Fail("cannot write the program's memory");
    }
    void Read(void* data, size_t n, size_t offset = 0) {
        SIZE_T done = 0;
        if (offset + n > size_ || !ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, n, &done))
            Fail("cannot read the program's memory");
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

HWND RequireListView(const Args& a) {
    HWND top = RequireTop(a[0]);
    HWND list = RequireControl(top, a[0], static_cast<int>(ParseNumber(a[1], "id")));
    if (!SameClass(list, u"SysListView32")) Fail("control " + ToUtf8(a[1]) + " is not a list view");
    return list;
}

// lv-count WINDOW ID: the number of rows.
int CmdListViewCount(const Args& a) {
    Need(a, 2, 2, "lv-count");
    HWND list = RequireListView(a);
    std::printf("%ld\n", static_cast<long>(Send(list, LVM_GETITEMCOUNT, 0, 0, "LVM_GETITEMCOUNT")));
    return 0;
}

Text ListViewCell(HWND list, int row, int column) {
    const int kChars = 512;
    RemoteBuffer remote(list, sizeof(LVITEMW) + kChars * sizeof(WCHAR));
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(LVITEMW)));
    item.cchTextMax = kChars;
    remote.Write(&item, sizeof item);
    LRESULT n = Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), remote.At(), "LVM_GETITEMTEXTW");
    if (n < 0 || n >= kChars) n = 0;
    std::vector<char16_t> text(static_cast<size_t>(n) + 1, 0);
    remote.Read(text.data(), static_cast<size_t>(n) * sizeof(WCHAR), sizeof(LVITEMW));
    return Text(text.data(), static_cast<size_t>(n));
}

// lv-text WINDOW ID ROW COLUMN: a cell's text. lv-rows WINDOW ID [MAX]:
// every row (at most MAX) as "number<TAB>name".
int CmdListViewText(const Args& a) {
    Need(a, 4, 4, "lv-text");
    HWND list = RequireListView(a);
    int row = static_cast<int>(ParseNumber(a[2], "row")), column = static_cast<int>(ParseNumber(a[3], "column"));
    std::printf("%s\n", ToUtf8(ListViewCell(list, row, column)).c_str());
    return 0;
}

int CmdListViewRows(const Args& a) {
    Need(a, 2, 3, "lv-rows");
    HWND list = RequireListView(a);
    LRESULT count = Send(list, LVM_GETITEMCOUNT, 0, 0, "LVM_GETITEMCOUNT");
    if (a.size() > 2) count = std::min<LRESULT>(count, ParseNumber(a[2], "max"));
    for (int row = 0; row < count; ++row) {
        std::printf("%s\t%s\n", ToUtf8(ListViewCell(list, row, 0)).c_str(), ToUtf8(ListViewCell(list, row, 1)).c_str());
    }
    return 0;
}

// lv-select WINDOW ID ROW [add]: selects and focuses ROW, alone or (add)
// besides the rows selected already.
int CmdListViewSelect(const Args& a) {
    Need(a, 3, 4, "lv-select");
    HWND list = RequireListView(a);
    int row = static_cast<int>(ParseNumber(a[2], "row"));
    RemoteBuffer remote(list, sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (a.size() < 4) {
        remote.Write(&item, sizeof item);
        Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), remote.At(), "LVM_SETITEMSTATE");
    }
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    remote.Write(&item, sizeof item);
    if (!Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remote.At(), "LVM_SETITEMSTATE"))
        Fail("row " + ToUtf8(a[2]) + " cannot be selected");
    return 0;
}

// lv-select-range WINDOW ID FIRST COUNT STEP: selects COUNT rows from FIRST
// on, STEP apart, besides those selected already (a control-click each).
int CmdListViewSelectRange(const Args& a) {
    Need(a, 5, 5, "lv-select-range");
    HWND list = RequireListView(a);
    DWORD first = ParseNumber(a[2], "first"), count = ParseNumber(a[3], "count"), step = ParseNumber(a[4], "step");
    RemoteBuffer remote(list, sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    remote.Write(&item, sizeof item);
    for (DWORD k = 0; k < count; ++k) {
        if (!Send(list, LVM_SETITEMSTATE, first + k * step, remote.At(), "LVM_SETITEMSTATE"))
            Fail("row " + std::to_string(first + k * step) + " cannot be selected");
    }
    return 0;
}

// lv-selected WINDOW ID: the selected rows, one a line.
int CmdListViewSelected(const Args& a) {
    Need(a, 2, 2, "lv-selected");
    HWND list = RequireListView(a);
    LRESULT k = -1;
    while ((k = Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(k), LVNI_SELECTED, "LVM_GETNEXTITEM")) >= 0) {
        std::printf("%ld\n", static_cast<long>(k));
    }
    return 0;
}

// lv-click WINDOW ID ROW COLUMN: a click of the left button on a cell (a
// row or column of -1: the column's header).
int CmdListViewClick(const Args& a) {
    Need(a, 4, 4, "lv-click");
    HWND list = RequireListView(a);
    int row = ParseSigned(a[2], "row"), column = ParseSigned(a[3], "column");
    RemoteBuffer remote(list, sizeof(RECT));
    RECT r = {};
    HWND target = list;
    if (row < 0) {
        target = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0, "LVM_GETHEADER"));
        if (!Send(target, HDM_GETITEMRECT, static_cast<WPARAM>(column), remote.At(), "HDM_GETITEMRECT"))
            Fail("no header for column " + ToUtf8(a[3]));
    } else {
        r.top = column;
        r.left = LVIR_BOUNDS;
        remote.Write(&r, sizeof r);
        if (!Send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), remote.At(), "LVM_GETSUBITEMRECT"))
            Fail("no cell at row " + ToUtf8(a[2]));
    }
    remote.Read(&r, sizeof r);
    // Near the left edge: column 0's bounds span the whole row, and a wide
    // column's middle may lie beyond the visible part; not so near that a
    // header takes the point for the divider.
    int x = std::min(r.left + 20, (r.left + r.right) / 2);
    LPARAM at = MAKELPARAM(x, (r.top + r.bottom) / 2);
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(target, WM_LBUTTONUP, 0, at);
    Sync(target);
    return 0;
}

// lv-edit WINDOW ID ROW: opens the in-place edit of ROW. lv-end-edit
// WINDOW ID TEXT [--no-enter]: types TEXT into the open edit and presses
// Enter (or leaves the edit open, for a click elsewhere to end it).
int CmdListViewEdit(const Args& a) {
    Need(a, 3, 3, "lv-edit");
    HWND list = RequireListView(a);
    SetForegroundWindow(GetAncestor(list, GA_ROOT));
    if (!Send(list, LVM_EDITLABELW, ParseNumber(a[2], "row"), 0, "LVM_EDITLABELW")) Fail("no edit opened");
    return 0;
}

int CmdListViewEndEdit(const Args& a) {
    Need(a, 3, 4, "lv-end-edit");
    if (a.size() == 4 && a[3] != u"--no-enter") Usage("lv-end-edit: unknown option");
    HWND list = RequireListView(a);
    HWND edit = reinterpret_cast<HWND>(Send(list, LVM_GETEDITCONTROL, 0, 0, "LVM_GETEDITCONTROL"));
    if (!edit) Fail("no in-place edit is open");
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(AsWide(a[2])), "WM_SETTEXT");
    if (a.size() == 3) PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    Sync(list);
    return 0;
}

// lv-edit-text WINDOW ID: the text of the open in-place edit.
int CmdListViewEditText(const Args& a) {
    Need(a, 2, 2, "lv-edit-text");
    HWND list = RequireListView(a);
    HWND edit = reinterpret_cast<HWND>(Send(list, LVM_GETEDITCONTROL, 0, 0, "LVM_GETEDITCONTROL"));
    if (!edit) Fail("no in-place edit is open");
    std::printf("%s\n", ToUtf8(WindowText(edit)).c_str());
    return 0;
}

// ---- the browser's commands ----

// A left-button click at a client position of the window, with the pointer
// moved there first: the window may read the pointer, not the message.
int CmdClickAt(const Args& a) {
    Need(a, 3, 3, "click-at");
    HWND top = RequireTop(a[0]);
    POINT p = {ParseSigned(a[1], "x"), ParseSigned(a[2], "y")};
    POINT screen = p;
    ClientToScreen(top, &screen);
    if (!SetCursorPos(screen.x, screen.y)) Fail("SetCursorPos failed");
    const LPARAM at = MAKELPARAM(p.x, p.y);
    PostMessageW(top, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(top, WM_LBUTTONUP, 0, at);
    Sync(top);
    return 0;
}

// Exit code 0 when the window (or its control ID) takes input.
int CmdIsEnabled(const Args& a) {
    Need(a, 1, 2, "is-enabled");
    HWND top = RequireTop(a[0]);
    HWND target = a.size() > 1 ? RequireControl(top, a[0], static_cast<int>(ParseNumber(a[1], "id"))) : top;
    return IsWindowEnabled(target) ? 0 : 1;
}

// A menu choice (the tray menu's "閉じる") as the window receives it; posted,
// as a menu posts it, and reaching a disabled window too.
int CmdPostCommand(const Args& a) {
    Need(a, 2, 2, "post-command");
    HWND top = RequireTop(a[0]);
    PostMessageW(top, WM_COMMAND, MAKEWPARAM(ParseNumber(a[1], "id"), 0), 0);
    return 0;
}

// Any message, posted: the window may answer it with a modal loop (a menu).
int CmdPostMessage(const Args& a) {
    Need(a, 4, 4, "post-message");
    HWND top = RequireTop(a[0]);
    PostMessageW(top, ParseNumber(a[1], "message"), ParseNumber(a[2], "wparam"), ParseNumber(a[3], "lparam"));
    return 0;
}

int CmdIsForeground(const Args& a) {
    Need(a, 1, 1, "is-foreground");
    return GetForegroundWindow() == RequireTop(a[0]) ? 0 : 1;
}

struct Command {
    const char* name;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {"wait-window", CmdWaitWindow},     {"wait-gone", CmdWaitGone},
    {"exists", CmdExists},              {"select", CmdSelect},
    {"click", CmdClick},                {"set-text", CmdSetText},
    {"get-text", CmdGetText},           {"get-selection", CmdGetSelection},
    {"list-items", CmdListItems},       {"get-rect", CmdGetRect},
    {"move", CmdMove},                  {"close", CmdClose},
    {"end-session", CmdEndSession},
    {"expect-message", CmdExpectMessage}, {"answer-message", CmdAnswerMessage},
    {"get-message", CmdGetMessage},     {"no-message", CmdNoMessage},
    {"browse-select", CmdBrowseSelect}, {"browse-cancel", CmdBrowseCancel},
    {"find-class", CmdFindClass},       {"client-rect", CmdClientRect},
    {"is-visible", CmdIsVisible},       {"wave-inputs", CmdWaveInputs},
    {"window-state", CmdWindowState},   {"tray-icon", CmdTrayIcon},
    {"send-registered", CmdSendRegistered}, {"can-write", CmdCanWrite},
    {"click-at", CmdClickAt},           {"is-enabled", CmdIsEnabled},
    {"post-command", CmdPostCommand},   {"post-message", CmdPostMessage},
    {"is-foreground", CmdIsForeground}, {"rename-path", CmdRenamePath},
    {"wait-text", CmdWaitText},
};

const Command kListViewCommands[] = {
    {"lv-count", CmdListViewCount},       {"lv-text", CmdListViewText},
    {"lv-rows", CmdListViewRows},         {"lv-select", CmdListViewSelect},
    {"lv-selected", CmdListViewSelected}, {"lv-click", CmdListViewClick},
    {"lv-select-range", CmdListViewSelectRange},
    {"lv-edit", CmdListViewEdit},         {"lv-end-edit", CmdListViewEndEdit},
    {"lv-edit-text", CmdListViewEditText}, {"client-click", CmdClickAt},
};

template <size_t N>
const Command* FindCommand(const Command (&table)[N], const std::string& name) {
    for (const Command& c : table) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

}  // namespace

int main() {
    // The scripts reading our output are Unix tools: "\n", not "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) Usage("cannot read the command line");
    Args args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Text(reinterpret_cast<const char16_t*>(argv[i]), lstrlenW(argv[i])));
    LocalFree(argv);
    if (args.empty()) Usage("no command");

    std::string name = ToUtf8(args[0]);
    args.erase(args.begin());
    const Command* command = FindCommand(kCommands, name);
    if (!command) command = FindCommand(kListViewCommands, name);
    if (command) {
        int rc = command->run(args);
        std::fflush(stdout);
        return rc;
    }
    Usage("unknown command " + name);
}
