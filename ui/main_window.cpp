#include "ui/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>

#include "ui/main_window_logic.h"
#include "common/position_text.h"
#include "common/text_convert.h"
#include "common/win32_text.h"
#include "common/window_win32.h"

namespace suite {
namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 500;
constexpr UINT kTrayMessage = WM_USER + 1;
constexpr UINT kTrayIconId = 1;
constexpr UINT kNumberFieldMessage = WM_APP + 1;  // the kept number text changed
constexpr int kIconCount = 15;                    // 100..114
constexpr int kMonitorOff = 2;
const COLORREF kBackground = RGB(200, 200, 200);
const COLORREF kLabelGrey = RGB(100, 100, 100);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kYellow = RGB(255, 255, 0);

// PBT_POWERSETTINGCHANGE and the head of POWERBROADCAST_SETTING, which not
// every set of Win32 headers declares.
constexpr WPARAM kPowerSettingChange = 0x8013;
struct PowerSettingData {
    GUID setting;
    DWORD length;
    UCHAR data[1];
};

// GUID_MONITOR_POWER_ON, spelled out so that no import library has to provide it.
const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};

struct ButtonSpec {
    int id;
    const char* text;
};
const ButtonSpec kButtons[] = {
    {kIdManual, "手動録音"},
    {kIdAutomatic, "自動録音"},
    {kIdStop, "録音中止"},
    {kIdStopAndSave, "録音中止+保存"},
    {kIdThresholdDown, "自動録音開始レベル減少"},
    {kIdThresholdUp, "自動録音開始レベル増加"},
    {kIdScreenOff, "画面消す"},
    {kIdPhoneBook, "電話帳"},
    {kIdTopmost, "最前面"},
    {kIdBrowser, "記録操作"},
};
constexpr int kButtonCount = sizeof(kButtons) / sizeof(kButtons[0]);

// Made by the window at WM_NCCREATE from the config CreateMainWindow gives.
struct MainWindowState {
    explicit MainWindowState(const MainWindowConfig& c) : config(c), upkeep(c.displayMode) {}

    MainWindowConfig config;
    HWND hwnd = nullptr;
    HWND buttons[kButtonCount] = {};
    HWND numberField = nullptr;
    HWND flashWindow = nullptr;  // task bar mode: the flashing "録音中" entry
    GdiObject<HFONT> buttonFont;
    MainWindowLayout layout{};
    int clientWidth = 0, clientHeight = 0;
    DisplayUpkeep upkeep;
    ScreenOffWatch screenOff;
    HICON icons[kIconCount] = {};
    bool trayAdded = false;
    int trayIcon = kIconProgram;  // icon shown in the tray now
    std::u16string trayTip;
    int paintedThreshold = -1;
    bool blinkPhase = false;
    StatusWordLook status{StatusCellText(0), StatusInk::Black};
    HPOWERNOTIFY powerNotify = nullptr;
    UINT taskbarCreated = 0;  // "TaskbarCreated": the task bar (re)started
};

LRESULT OnCreate(MainWindowState& s, HWND hwnd);
void OnSize(MainWindowState& s, int width, int height);
void OnPaint(MainWindowState& s);
void OnCommand(MainWindowState& s, int id);
void OnDestroy(MainWindowState& s);
void OnPowerBroadcast(MainWindowState& s, WPARAM event, LPARAM data);
void OnTray(MainWindowState& s, LPARAM event);
void OnClientClick(MainWindowState& s);
void OnNumberFieldChanged(MainWindowState& s);
void OnTaskbarCreated(MainWindowState& s);
void ShowStartWithWindows(MainWindowState& s);
bool OnSysCommand(MainWindowState& s, WPARAM command);

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindowState* state = OwnedWindowState<MainWindowState, MainWindowConfig>(hwnd, message, lParam);
    if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
    MainWindowState& s = *state;
    if (message == s.taskbarCreated && message != 0) {
        OnTaskbarCreated(s);
        return 0;
    }
    switch (message) {
        case WM_CREATE: return OnCreate(s, hwnd);
        case WM_SIZE:
            if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) OnSize(s, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT: OnPaint(s); return 0;
        case WM_COMMAND: OnCommand(s, LOWORD(wParam)); return 0;
        case WM_DESTROY: OnDestroy(s); return 0;
        case WM_TIMER:
            if (wParam == kTickTimer && s.config.host) s.config.host->OnTimerTick();
            return 0;
        case WM_POWERBROADCAST: OnPowerBroadcast(s, wParam, lParam); return TRUE;
        case WM_CLOSE:
            if (s.config.host) s.config.host->OnClosing();
            break;
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            if (wParam && s.config.host) s.config.host->OnEndSession();
            return 0;
        case MM_WIM_DATA:
            if (s.config.host) s.config.host->OnWaveInData(reinterpret_cast<WAVEHDR*>(lParam));
            return 0;
        case kTrayMessage:
            if (wParam == kTrayIconId) OnTray(s, lParam);
            return 0;
        case WM_LBUTTONUP: OnClientClick(s); return 0;
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam)) ShowStartWithWindows(s);  // the window menu opens
            break;
        case WM_SYSCOMMAND:
            if (OnSysCommand(s, wParam)) return 0;
            break;
        case kNumberFieldMessage: OnNumberFieldChanged(s); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Fill(HDC dc, int x, int y, int w, int h, COLORREF colour) {
    if (w <= 0 || h <= 0) return;
    RECT r{x, y, x + w, y + h};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void DrawLabel(HDC dc, Point at, const char* sjis, COLORREF ink) {
    std::u16string text = SjisToUtf16(sjis);
    SetTextColor(dc, ink);
    SetBkColor(dc, kBackground);
    SetBkMode(dc, OPAQUE);
    TextOutW(dc, at.x, at.y, AsWide(text), static_cast<int>(text.size()));
}

void PaintMeter(MainWindowState& s, HDC dc) {
    const Rect& m = s.layout.meter;
    int black = LevelPixels(m.width, s.config.shared->PeakLevel.load());
    Fill(dc, m.x, m.y, black, m.height, RGB(0, 0, 0));
    Fill(dc, m.x + black, m.y, m.width - black, m.height, RGB(255, 255, 255));
}

void PaintStatusWord(MainWindowState& s, HDC dc) {
    GdiObject<HFONT> font(CreateGothicFont(s.layout.statusFontHeight, s.layout.statusFontWidth));
    SelectIn select(dc, font.get());
    std::u16string text = SjisToUtf16(s.status.text);
    SetTextColor(dc, s.status.ink == StatusInk::Yellow ? kYellow : RGB(0, 0, 0));
    SetBkColor(dc, kRed);
    SetBkMode(dc, OPAQUE);
    TextOutW(dc, s.layout.statusWord.x, s.layout.statusWord.y, AsWide(text), static_cast<int>(text.size()));
}

void SetTrayIcon(MainWindowState& s, int icon, const std::u16string* tip) {
    if (!s.trayAdded) return;
    bool iconChanged = icon != 0 && icon != s.trayIcon;
    bool tipChanged = tip && *tip != s.trayTip;
    if (!iconChanged && !tipChanged) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = s.hwnd;
    data.uID = kTrayIconId;
    if (iconChanged) {
        s.trayIcon = icon;
        data.uFlags |= NIF_ICON;
        data.hIcon = s.icons[icon - kIconProgram];
    }
    if (tipChanged) {
        s.trayTip = *tip;
        data.uFlags |= NIF_TIP;
        lstrcpynW(data.szTip, AsWide(s.trayTip), sizeof data.szTip / sizeof data.szTip[0]);
    }
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void MonitorOff() { PostMessageW(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, kMonitorOff); }

void ApplyLayout(MainWindowState& s, int width, int height) {
    s.clientWidth = width;
    s.clientHeight = height;
    s.layout = LayoutMainWindow(width, height);
    // The controls keep using the old font until they are given the new
    // one: it is deleted only after that.
    GdiObject<HFONT> oldFont(s.buttonFont.Release());
    s.buttonFont.Reset(CreateGothicFont(s.layout.buttonFontHeight, s.layout.buttonFontWidth));
    const MainWindowLayout& l = s.layout;
    const Rect* places[kButtonCount] = {&l.manual,        &l.automatic,   &l.stop,      &l.stopAndSave,
                                        &l.thresholdDown, &l.thresholdUp, &l.screenOff, &l.phoneBook,
                                        &l.topmost,       &l.browser};
    for (int i = 0; i < kButtonCount; ++i) {
        if (!s.buttons[i]) continue;
        const Rect& r = *places[i];
        MoveWindow(s.buttons[i], r.x, r.y, r.width, r.height, TRUE);
        SendMessageW(s.buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(s.buttonFont.get()), TRUE);
    }
    const Rect& n = l.numberField;
    MoveWindow(s.numberField, n.x, n.y, n.width, n.height, TRUE);
    SendMessageW(s.numberField, WM_SETFONT, reinterpret_cast<WPARAM>(s.buttonFont.get()), TRUE);
}

LRESULT OnCreate(MainWindowState& s, HWND hwnd) {
    s.hwnd = hwnd;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = s.config.instance;
    for (int i = 0; i < kButtonCount; ++i) {
        if (kButtons[i].id == kIdPhoneBook && !s.config.lineRecorder) continue;
        const char* text = kButtons[i].id == kIdTopmost ? TopmostLabelAtStart(s.config.settings->topmost() != 0)
                                                        : kButtons[i].text;
        s.buttons[i] = CreateWindowExW(0, L"BUTTON", AsWide(SjisToUtf16(text)), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                                       0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtons[i].id)),
                                       instance, nullptr);
    }
    s.numberField = CreateWindowExW(0, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL | ES_LEFT, 0, 0,
                                    0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdNumberField)),
                                    instance, nullptr);
    RECT client;
    GetClientRect(hwnd, &client);
    ApplyLayout(s, client.right, client.bottom);
    SetFocus(s.numberField);
    for (int i = 0; i < kIconCount; ++i)
        s.icons[i] = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconProgram + i), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SetTimer(hwnd, kTickTimer, kTickMs, nullptr);
    s.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    s.powerNotify = RegisterPowerSettingNotification(hwnd, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (const RunEntry* entry = s.config.startWithWindows) {
        HMENU menu = GetSystemMenu(hwnd, FALSE);
        std::u16string item = SjisToUtf16("ログオン時に ") + entry->name + SjisToUtf16(" を起動する");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kIdStartWithWindows, AsWide(item));
        ShowStartWithWindows(s);
    }
    return 0;
}

void OnSize(MainWindowState& s, int width, int height) {
    ApplyLayout(s, width, height);
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

void OnPaint(MainWindowState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s.hwnd, &ps);
    SelectIn select(dc, s.buttonFont.get());
    ThresholdBar bar = ThresholdBarRects(s.clientWidth, s.clientHeight, s.config.shared->LevelThreshold.load());
    Fill(dc, bar.red.x, bar.red.y, bar.red.width, bar.red.height, kRed);
    Fill(dc, bar.green.x, bar.green.y, bar.green.width, bar.green.height, kGreen);
    DrawLabel(dc, s.layout.arrows, "＜＞", RGB(0, 0, 0));
    DrawLabel(dc, s.layout.caption, "録音ファイル名等を表示", kLabelGrey);
    DrawLabel(dc, s.layout.mouseHint, "マウス移動で復帰", kLabelGrey);
    // The meter and the status word are the tick's; drawn here too so that
    // an erased window does not stay blank until the next tick.
    PaintMeter(s, dc);
    PaintStatusWord(s, dc);
    EndPaint(s.hwnd, &ps);
}

void OnTopmost(MainWindowState& s) {
    uint8_t& topmost = s.config.settings->topmost();
    TopmostSwitch next = ToggleTopmost(topmost != 0);
    topmost = next.topmost ? 1 : 0;
    SetWindowTextSjis(GetDlgItem(s.hwnd, kIdTopmost), next.label);
    SetWindowPos(s.hwnd, next.topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void OnCommand(MainWindowState& s, int id) {
    RecorderShared& shared = *s.config.shared;
    switch (id) {
        case kIdManual: shared.RecorderCommand = kCommandManual; break;
        case kIdAutomatic: shared.RecorderCommand = kCommandAutomatic; break;
        case kIdStop: shared.RecorderCommand = kCommandStop; break;
        case kIdStopAndSave: shared.RecorderCommand = kCommandStopAndSave; break;
        case kIdThresholdUp: shared.LevelThreshold = ThresholdUp(shared.LevelThreshold.load()); break;
        case kIdThresholdDown: shared.LevelThreshold = ThresholdDown(shared.LevelThreshold.load()); break;
        case kIdScreenOff: s.screenOff.Request(); break;
        case kIdPhoneBook:
            if (s.config.lineRecorder && s.config.host) s.config.host->OnPhoneBookButton();
            break;
        case kIdTopmost: OnTopmost(s); break;
        case kIdBrowser:
            if (s.config.host) s.config.host->OnBrowserButton();
            break;
        case kIdTrayShow:
            ShowWindow(s.hwnd, SW_SHOW);
            s.upkeep.set_visible(true);
            break;
        case kIdTrayHide:
            ShowWindow(s.hwnd, SW_HIDE);
            s.upkeep.set_visible(false);
            break;
        case kIdTrayClose:
            if (s.config.host) s.config.host->OnClosing();
            DestroyWindow(s.hwnd);
            break;
        case kIdClearNumberField:
            shared.NumberFieldText.Clear();
            OnNumberFieldChanged(s);
            break;
    }
}

// The tray icon and the flashing task bar entry go with the window.
void EndDisplayMode(MainWindowState& s) {
    if (s.trayAdded) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = s.hwnd;
        data.uID = kTrayIconId;
        Shell_NotifyIconW(NIM_DELETE, &data);
        s.trayAdded = false;
    }
    if (s.flashWindow) DestroyWindow(s.flashWindow);
    s.flashWindow = nullptr;
}

void OnDestroy(MainWindowState& s) {
    EndDisplayMode(s);
    KillTimer(s.hwnd, kTickTimer);
    if (s.powerNotify) UnregisterPowerSettingNotification(s.powerNotify);
    s.powerNotify = nullptr;
    if (!IsIconic(s.hwnd)) {
        RECT r;
        GetWindowRect(s.hwnd, &r);
        RecorderSettings& settings = *s.config.settings;
        WritePositionText(settings.main_window_text(0), r.left);
        WritePositionText(settings.main_window_text(1), r.top);
        WritePositionText(settings.main_window_text(2), r.right - r.left);
        WritePositionText(settings.main_window_text(3), r.bottom - r.top);
    }
    PostQuitMessage(0);
}

void OnPowerBroadcast(MainWindowState& s, WPARAM event, LPARAM data) {
    if (event == PBT_APMSUSPEND || event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC) {
        if (s.config.host) s.config.host->OnPowerEvent(event != PBT_APMSUSPEND);
        return;
    }
    if (event != kPowerSettingChange || s.screenOff.state() == 0) return;
    // Something turned the monitor on while the user wanted it off.
    auto* setting = reinterpret_cast<const PowerSettingData*>(data);
    if (setting && setting->length >= 1 && setting->data[0] == 1) MonitorOff();
}

void OnTray(MainWindowState& s, LPARAM event) {
    if (event == WM_LBUTTONUP) {
        if (s.upkeep.visible()) {
            ShowWindow(s.hwnd, SW_HIDE);
            s.upkeep.set_visible(false);
        } else {
            s.upkeep.set_visible(true);
            SetForegroundWindow(s.hwnd);
            ShowWindow(s.hwnd, SW_SHOW);
        }
    } else if (event == WM_RBUTTONUP) {
        SetForegroundWindow(s.hwnd);
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, kIdTrayShow, AsWide(SjisToUtf16("最大化")));
        AppendMenuW(menu, MF_STRING, kIdTrayHide, AsWide(SjisToUtf16("最小化")));
        AppendMenuW(menu, MF_STRING, kIdTrayClose, AsWide(SjisToUtf16("閉じる")));
        POINT at;
        GetCursorPos(&at);
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, s.hwnd, nullptr);
        // Without this the menu of a notification icon may not close when
        // the user clicks elsewhere.
        PostMessageW(s.hwnd, WM_NULL, 0, 0);
        DestroyMenu(menu);
    }
}

void OnClientClick(MainWindowState& s) {
    if (!s.config.lineRecorder || !s.config.host) return;
    if (!s.config.host->InfoBoardOpen()) RequestLastNumberBoard(s.config.shared->NumberReady);
}

// Ticked only when the Run value starts this very copy.
void ShowStartWithWindows(MainWindowState& s) {
    if (!s.config.startWithWindows) return;
    bool ours = ReadRunEntry(*s.config.startWithWindows) == RunEntryOwner::ThisCopy;
    CheckMenuItem(GetSystemMenu(s.hwnd, FALSE), kIdStartWithWindows, MF_BYCOMMAND | (ours ? MF_CHECKED : MF_UNCHECKED));
}

bool OnSysCommand(MainWindowState& s, WPARAM command) {
    if ((command & 0xFFF0) != kIdStartWithWindows || !s.config.startWithWindows) return false;
    const RunEntry& entry = *s.config.startWithWindows;
    ChangeRunEntry(entry, ReadRunEntry(entry) != RunEntryOwner::ThisCopy, s.hwnd);
    ShowStartWithWindows(s);
    return true;
}

// The tray icon as it was last set (icon and tip).
void AddTrayIcon(MainWindowState& s) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = s.hwnd;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = s.icons[s.trayIcon - kIconProgram];
    lstrcpynW(data.szTip, AsWide(s.trayTip), sizeof data.szTip / sizeof data.szTip[0]);
    s.trayAdded = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

// A restarted task bar (Explorer crashed or was restarted) has lost the
// icon; without it a hidden window could no longer be reached.
void OnTaskbarCreated(MainWindowState& s) {
    if (s.config.displayMode == kDisplayTray) AddTrayIcon(s);
}

void OnNumberFieldChanged(MainWindowState& s) {
    if (s.numberField) SetWindowTextSjis(s.numberField, s.config.shared->NumberFieldText.Get());
}

}  // namespace

std::string MainWindowTitle(const std::string& deviceNameSjis) { return "めるとあ - " + deviceNameSjis; }

bool RegisterMainWindowClass(HINSTANCE instance, const std::string& classNameSjis, HBRUSH background) {
    std::u16string name = SjisToUtf16(classNameSjis);
    SuiteWindowClass mainClass{AsWide(name), MainWindowProc, background};
    mainClass.style = 0;
    mainClass.icon = kIconProgram;
    mainClass.smallIcon = true;
    return RegisterSuiteWindowClass(instance, mainClass);
}

HWND CreateMainWindow(const MainWindowConfig& config, const std::string& classNameSjis) {
    RecorderSettings& s = *config.settings;
    WindowPlace place = MainWindowPlace(
        WindowPlace{ReadPositionText(s.main_window_text(0)), ReadPositionText(s.main_window_text(1)),
                    ReadPositionText(s.main_window_text(2)), ReadPositionText(s.main_window_text(3))},
        CurrentWorkArea());
    int x = place.x, y = place.y, width = place.width, height = place.height;
    DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    if (config.displayMode != kDisplayTray) style |= WS_MINIMIZEBOX;
    std::u16string name = SjisToUtf16(classNameSjis);
    // The window makes its state from the config and owns it to WM_NCDESTROY.
    HWND hwnd = CreateWindowExW(0, AsWide(name), AsWide(name), style, x, y, width, height, nullptr, nullptr, config.instance,
                                const_cast<MainWindowConfig*>(&config));
    if (!hwnd) return nullptr;
    // Topmost while still hidden: it shows once the input device is open.
    if (s.topmost()) SetWindowPos(hwnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
    ShowWindow(hwnd, config.displayMode == kDisplayTaskbar ? SW_SHOWMINIMIZED : SW_HIDE);
    UpdateWindow(hwnd);
    return hwnd;
}

void StartDisplayMode(HWND window) {
    MainWindowState* state = BoundWindowState<MainWindowState>(window);
    if (!state) return;
    MainWindowState& s = *state;
    if (s.config.displayMode == kDisplayTaskbar) {
        s.flashWindow = CreateWindowExW(0, L"STATIC", AsWide(SjisToUtf16("録音中")), WS_POPUP | WS_MINIMIZE | WS_DISABLED,
                                        0x7FFFFFFF, 0x7FFFFFFF, 0, 0, nullptr, nullptr, s.config.instance, nullptr);
        if (s.flashWindow) {
            FLASHWINFO flash{sizeof flash, s.flashWindow, FLASHW_TRAY, 0xFFFFFFFF, 500};
            FlashWindowEx(&flash);
            ShowWindow(s.flashWindow, SW_HIDE);
        }
    } else if (s.config.displayMode == kDisplayTray) {
        s.trayIcon = kIconProgram;
        s.trayTip = SjisToUtf16(kTrayIdleTip);
        AddTrayIcon(s);
    }
}

void ShowMainWindowOnDesktop(HWND window) {
    MainWindowState* state = BoundWindowState<MainWindowState>(window);
    if (!state) return;
    MainWindowState& s = *state;
    ShowWindow(window, SW_SHOW);
    // Start-up goes on for a while before the message loop runs: painted
    // now, the window is never seen empty.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    s.upkeep.set_visible(true);
}

void SetMainWindowDeviceName(HWND window, const std::string& deviceNameSjis) {
    SetWindowTextSjis(window, MainWindowTitle(deviceNameSjis));
}

void MainWindowTick(HWND window) {
    MainWindowState* state = BoundWindowState<MainWindowState>(window);
    if (!state) return;
    MainWindowState& s = *state;
    const RecorderShared& shared = *s.config.shared;
    DisplayTickInput in{s.config.displayMode, shared.RecordedBytes.load(), shared.PeakLevel.load(),
                        IsIconic(window) != FALSE};
    DisplayTickOutput out = s.upkeep.Tick(in);
    if (out.paintMeter) {
        HDC dc = GetDC(window);
        PaintMeter(s, dc);
        ReleaseDC(window, dc);
    }
    if (s.screenOff.state() != 0) {
        POINT cursor;
        if (GetCursorPos(&cursor) && s.screenOff.Look(cursor.x, cursor.y) == ScreenOffWatch::Action::MonitorOff)
            MonitorOff();
    }
    if (s.flashWindow && out.flashWindow != Change::Keep)
        ShowWindow(s.flashWindow, out.flashWindow == Change::Show ? SW_SHOWMINNOACTIVE : SW_HIDE);
    std::u16string tip = SjisToUtf16(out.tip);
    SetTrayIcon(s, out.trayIcon, out.setTip ? &tip : nullptr);
}

void MainWindowStatusTick(HWND window, bool connectionFault) {
    MainWindowState* state = BoundWindowState<MainWindowState>(window);
    if (!state) return;
    MainWindowState& s = *state;
    const RecorderShared& shared = *s.config.shared;
    int threshold = shared.LevelThreshold.load();
    if (threshold != s.paintedThreshold) {
        s.paintedThreshold = threshold;
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    s.blinkPhase = !s.blinkPhase;
    s.status = DecideStatusWord(shared.RecorderMode.load(), connectionFault,
                                shared.RecordedBytes.load() != kNoRecordingBytes, shared.SilenceCountdown.load(),
                                s.blinkPhase);
    HDC dc = GetDC(window);
    PaintStatusWord(s, dc);
    ReleaseDC(window, dc);
}

void MainWindowNumberField::Show(const std::string& text) {
    shared_->NumberFieldText.Set(text);
    HWND window = window_.load();
    if (!window) return;
    MainWindowState* state = nullptr;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() && (state = BoundWindowState<MainWindowState>(window)))
        OnNumberFieldChanged(*state);
    else
        PostMessageW(window, kNumberFieldMessage, 0, 0);
}

}  // namespace suite
