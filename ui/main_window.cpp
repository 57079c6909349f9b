#include "main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>

#include "main_window_logic.h"
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

struct MainWindowState {
    MainWindowConfig config;
    HWND hwnd = nullptr;
    HWND buttons[kButtonCount] = {};
    HWND numberField = nullptr;
    HWND flashWindow = nullptr;  // task bar mode: the flashing "録音中" entry
    GdiObject<HFONT> buttonFont;
    MainWindowLayout layout{};
    int clientWidth = 0, clientHeight = 0;
    DisplayUpkeep upkeep{0};
    ScreenOffWatch screenOff;
    HICON icons[kIconCount] = {};
    bool trayAdded = false;
    int trayIcon = kIconProgram;  // icon shown in the tray now
    std::u16string trayTip;
    int paintedThreshold = -1;
    bool blinkPhase = false;
    StatusWordLook status{StatusCellText(0), StatusInk::Black};
    HPOWERNOTIFY powerNotify = nullptr;

    // The window as other threads see it (null before create, after destroy).
    std::atomic<HWND> threadWindow{nullptr};
    // The number field's text, readable by the recording thread.
    std::mutex numberMutex;
    std::string numberText;
};
MainWindowState g;

LPCWSTR W(const std::u16string& text) { return AsWide(text); }

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
    TextOutW(dc, at.x, at.y, W(text), static_cast<int>(text.size()));
}

void PaintMeter(HDC dc) {
    const Rect& m = g.layout.meter;
    int black = LevelPixels(m.width, g.config.shared->PeakLevel.load());
    Fill(dc, m.x, m.y, black, m.height, RGB(0, 0, 0));
    Fill(dc, m.x + black, m.y, m.width - black, m.height, RGB(255, 255, 255));
}

void PaintStatusWord(HDC dc) {
    GdiObject<HFONT> font(CreateGothicFont(g.layout.statusFontHeight, g.layout.statusFontWidth));
    SelectIn select(dc, font.get());
    std::u16string text = SjisToUtf16(g.status.text);
    SetTextColor(dc, g.status.ink == StatusInk::Yellow ? kYellow : RGB(0, 0, 0));
    SetBkColor(dc, kRed);
    SetBkMode(dc, OPAQUE);
    TextOutW(dc, g.layout.statusWord.x, g.layout.statusWord.y, W(text), static_cast<int>(text.size()));
}

void SetTrayIcon(int icon, const std::u16string* tip) {
    if (!g.trayAdded) return;
    bool iconChanged = icon != 0 && icon != g.trayIcon;
    bool tipChanged = tip && *tip != g.trayTip;
    if (!iconChanged && !tipChanged) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = g.hwnd;
    data.uID = kTrayIconId;
    if (iconChanged) {
        g.trayIcon = icon;
        data.uFlags |= NIF_ICON;
        data.hIcon = g.icons[icon - kIconProgram];
    }
    if (tipChanged) {
        g.trayTip = *tip;
        data.uFlags |= NIF_TIP;
        lstrcpynW(data.szTip, W(g.trayTip), sizeof data.szTip / sizeof data.szTip[0]);
    }
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void MonitorOff() { PostMessageW(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, kMonitorOff); }

void ApplyLayout(int width, int height) {
    g.clientWidth = width;
    g.clientHeight = height;
    g.layout = LayoutMainWindow(width, height);
    g.buttonFont.Reset(CreateGothicFont(g.layout.buttonFontHeight, g.layout.buttonFontWidth));
    const MainWindowLayout& l = g.layout;
    const Rect* places[kButtonCount] = {&l.manual,        &l.automatic,   &l.stop,      &l.stopAndSave,
                                        &l.thresholdDown, &l.thresholdUp, &l.screenOff, &l.phoneBook,
                                        &l.topmost,       &l.browser};
    for (int i = 0; i < kButtonCount; ++i) {
        if (!g.buttons[i]) continue;
        const Rect& r = *places[i];
        MoveWindow(g.buttons[i], r.x, r.y, r.width, r.height, TRUE);
        SendMessageW(g.buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(g.buttonFont.get()), TRUE);
    }
    const Rect& n = l.numberField;
    MoveWindow(g.numberField, n.x, n.y, n.width, n.height, TRUE);
    SendMessageW(g.numberField, WM_SETFONT, reinterpret_cast<WPARAM>(g.buttonFont.get()), TRUE);
}

LRESULT OnCreate(HWND hwnd);
void OnSize(int width, int height);
void OnPaint();
void OnCommand(int id);
void OnDestroy();
void OnPowerBroadcast(WPARAM event, LPARAM data);
void OnTray(LPARAM event);
void OnClientClick();
void OnNumberFieldChanged();

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_SIZE:
            if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT: OnPaint(); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        case WM_TIMER:
            if (wParam == kTickTimer && g.config.host) g.config.host->OnTimerTick();
            return 0;
        case WM_POWERBROADCAST: OnPowerBroadcast(wParam, lParam); return TRUE;
        case MM_WIM_DATA:
            if (g.config.host) g.config.host->OnWaveInData(reinterpret_cast<WAVEHDR*>(lParam));
            return 0;
        case kTrayMessage:
            if (wParam == kTrayIconId) OnTray(lParam);
            return 0;
        case WM_LBUTTONUP: OnClientClick(); return 0;
        case kNumberFieldMessage: OnNumberFieldChanged(); return 0;
        case WM_NCDESTROY:
            g.buttonFont.Reset();
            g.threadWindow = nullptr;
            g.hwnd = nullptr;
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT OnCreate(HWND hwnd) {
    g.hwnd = hwnd;
    g.threadWindow = hwnd;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = g.config.instance;
    for (int i = 0; i < kButtonCount; ++i) {
        if (kButtons[i].id == kIdPhoneBook && !g.config.lineRecorder) continue;
        const char* text = kButtons[i].id == kIdTopmost ? TopmostLabelAtStart(g.config.settings->topmost() != 0)
                                                        : kButtons[i].text;
        g.buttons[i] = CreateWindowExW(0, L"BUTTON", W(SjisToUtf16(text)), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                                       0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtons[i].id)),
                                       instance, nullptr);
    }
    g.numberField = CreateWindowExW(0, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL | ES_LEFT, 0, 0,
                                    0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdNumberField)),
                                    instance, nullptr);
    RECT client;
    GetClientRect(hwnd, &client);
    ApplyLayout(client.right, client.bottom);
    SetFocus(g.numberField);
    for (int i = 0; i < kIconCount; ++i)
        g.icons[i] = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconProgram + i), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SetTimer(hwnd, kTickTimer, kTickMs, nullptr);
    g.powerNotify = RegisterPowerSettingNotification(hwnd, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
    return 0;
}

void OnSize(int width, int height) {
    ApplyLayout(width, height);
    InvalidateRect(g.hwnd, nullptr, TRUE);
}

void OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(g.hwnd, &ps);
    SelectIn select(dc, g.buttonFont.get());
    ThresholdBar bar = ThresholdBarRects(g.clientWidth, g.clientHeight, g.config.shared->LevelThreshold.load());
    Fill(dc, bar.red.x, bar.red.y, bar.red.width, bar.red.height, kRed);
    Fill(dc, bar.green.x, bar.green.y, bar.green.width, bar.green.height, kGreen);
    DrawLabel(dc, g.layout.arrows, "＜＞", RGB(0, 0, 0));
    DrawLabel(dc, g.layout.caption, "録音ファイル名等を表示", kLabelGrey);
    DrawLabel(dc, g.layout.mouseHint, "マウス移動で復帰", kLabelGrey);
    // The meter and the status word are the tick's; drawn here too so that
    // an erased window does not stay blank until the next tick.
    PaintMeter(dc);
    PaintStatusWord(dc);
    EndPaint(g.hwnd, &ps);
}

void OnTopmost() {
    uint8_t& topmost = g.config.settings->topmost();
    TopmostSwitch next = ToggleTopmost(topmost != 0);
    topmost = next.topmost ? 1 : 0;
    SetWindowTextSjis(GetDlgItem(g.hwnd, kIdTopmost), next.label);
    SetWindowPos(g.hwnd, next.topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void OnCommand(int id) {
    RecorderShared& shared = *g.config.shared;
    switch (id) {
        case kIdManual: shared.RecorderCommand = kCommandManual; break;
        case kIdAutomatic: shared.RecorderCommand = kCommandAutomatic; break;
        case kIdStop: shared.RecorderCommand = kCommandStop; break;
        case kIdStopAndSave: shared.RecorderCommand = kCommandStopAndSave; break;
        case kIdThresholdUp: shared.LevelThreshold = ThresholdUp(shared.LevelThreshold.load()); break;
        case kIdThresholdDown: shared.LevelThreshold = ThresholdDown(shared.LevelThreshold.load()); break;
        case kIdScreenOff: g.screenOff.Request(); break;
        case kIdPhoneBook:
            if (g.config.lineRecorder && g.config.host) g.config.host->OnPhoneBookButton();
            break;
        case kIdTopmost: OnTopmost(); break;
        case kIdBrowser:
            if (g.config.host) g.config.host->OnBrowserButton();
            break;
        case kIdTrayShow:
            ShowWindow(g.hwnd, SW_SHOW);
            g.upkeep.set_visible(true);
            break;
        case kIdTrayHide:
            ShowWindow(g.hwnd, SW_HIDE);
            g.upkeep.set_visible(false);
            break;
        case kIdTrayClose: DestroyWindow(g.hwnd); break;
        case kIdClearNumberField: ClearNumberField(); break;
    }
}

void OnDestroy() {
    KillTimer(g.hwnd, kTickTimer);
    if (g.powerNotify) UnregisterPowerSettingNotification(g.powerNotify);
    g.powerNotify = nullptr;
    if (!IsIconic(g.hwnd)) {
        RECT r;
        GetWindowRect(g.hwnd, &r);
        SettingsRecord& s = *g.config.settings;
        WritePositionText(s.main_window_text(0), r.left);
        WritePositionText(s.main_window_text(1), r.top);
        WritePositionText(s.main_window_text(2), r.right - r.left);
        WritePositionText(s.main_window_text(3), r.bottom - r.top);
    }
    PostQuitMessage(0);
}

void OnPowerBroadcast(WPARAM event, LPARAM data) {
    if (event == PBT_APMSUSPEND || event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC) {
        if (g.config.host) g.config.host->OnPowerEvent();
        return;
    }
    if (event != kPowerSettingChange || g.screenOff.state() == 0) return;
    // Something turned the monitor on while the user wanted it off.
    auto* setting = reinterpret_cast<const PowerSettingData*>(data);
    if (setting && setting->length >= 1 && setting->data[0] == 1) MonitorOff();
}

void OnTray(LPARAM event) {
    if (event == WM_LBUTTONUP) {
        if (g.upkeep.visible()) {
            ShowWindow(g.hwnd, SW_HIDE);
            g.upkeep.set_visible(false);
        } else {
            g.upkeep.set_visible(true);
            SetForegroundWindow(g.hwnd);
            ShowWindow(g.hwnd, SW_SHOW);
        }
    } else if (event == WM_RBUTTONUP) {
        SetForegroundWindow(g.hwnd);
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, kIdTrayShow, W(SjisToUtf16("最大化")));
        AppendMenuW(menu, MF_STRING, kIdTrayHide, W(SjisToUtf16("最小化")));
        AppendMenuW(menu, MF_STRING, kIdTrayClose, W(SjisToUtf16("閉じる")));
        POINT at;
        GetCursorPos(&at);
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, g.hwnd, nullptr);
        DestroyMenu(menu);
    }
}

void OnClientClick() {
    if (!g.config.lineRecorder || !g.config.host) return;
    if (!g.config.host->InfoBoardOpen()) g.config.shared->NumberReady = 2;
}

void OnNumberFieldChanged() {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(g.numberMutex);
        text = g.numberText;
    }
    if (g.numberField) SetWindowTextSjis(g.numberField, text);
}

}  // namespace

std::string MainWindowTitle(const std::string& deviceNameSjis) { return "めるとあ - " + deviceNameSjis; }

bool RegisterMainWindowClass(HINSTANCE instance, const std::string& classNameSjis, HBRUSH background) {
    std::u16string name = SjisToUtf16(classNameSjis);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconProgram));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = W(name);
    return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(const MainWindowConfig& config, const std::string& classNameSjis) {
    g.config = config;
    g.upkeep = DisplayUpkeep(config.displayMode);
    SettingsRecord& s = *config.settings;
    WindowPlace place = MainWindowPlace(
        WindowPlace{ReadPositionText(s.main_window_text(0)), ReadPositionText(s.main_window_text(1)),
                    ReadPositionText(s.main_window_text(2)), ReadPositionText(s.main_window_text(3))},
        CurrentWorkArea());
    int x = place.x, y = place.y, width = place.width, height = place.height;
    DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    if (config.displayMode != kDisplayTray) style |= WS_MINIMIZEBOX;
    std::u16string name = SjisToUtf16(classNameSjis);
    HWND hwnd = CreateWindowExW(0, W(name), W(name), style, x, y, width, height, nullptr, nullptr, config.instance,
                                nullptr);
    if (!hwnd) return nullptr;
    if (s.topmost()) SetWindowPos(hwnd, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW);
    ShowWindow(hwnd, config.displayMode == kDisplayTaskbar ? SW_SHOWMINIMIZED : SW_HIDE);
    UpdateWindow(hwnd);
    return hwnd;
}

void StartDisplayMode(HWND window) {
    if (g.config.displayMode == kDisplayTaskbar) {
        g.flashWindow = CreateWindowExW(0, L"STATIC", W(SjisToUtf16("録音中")), WS_POPUP | WS_MINIMIZE | WS_DISABLED,
                                        0x7FFFFFFF, 0x7FFFFFFF, 0, 0, nullptr, nullptr, g.config.instance, nullptr);
        if (g.flashWindow) {
            FLASHWINFO flash{sizeof flash, g.flashWindow, FLASHW_TRAY, 0xFFFFFFFF, 500};
            FlashWindowEx(&flash);
            ShowWindow(g.flashWindow, SW_HIDE);
        }
    } else if (g.config.displayMode == kDisplayTray) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = window;
        data.uID = kTrayIconId;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = kTrayMessage;
        data.hIcon = g.icons[0];
        g.trayIcon = kIconProgram;
        g.trayTip = SjisToUtf16(kTrayIdleTip);
        lstrcpynW(data.szTip, W(g.trayTip), sizeof data.szTip / sizeof data.szTip[0]);
        g.trayAdded = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    }
}

void EndDisplayMode(HWND window) {
    if (g.trayAdded) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = window;
        data.uID = kTrayIconId;
        Shell_NotifyIconW(NIM_DELETE, &data);
        g.trayAdded = false;
    }
    if (g.flashWindow) DestroyWindow(g.flashWindow);
    g.flashWindow = nullptr;
}

void ShowMainWindowOnDesktop(HWND window) {
    ShowWindow(window, SW_SHOW);
    g.upkeep.set_visible(true);
}

void SetMainWindowDeviceName(HWND window, const std::string& deviceNameSjis) {
    SetWindowTextSjis(window, MainWindowTitle(deviceNameSjis));
}

void MainWindowTick(HWND window) {
    const RecorderShared& shared = *g.config.shared;
    DisplayTickInput in{g.config.displayMode, shared.RecordedBytes.load(), shared.PeakLevel.load(),
                        IsIconic(window) != FALSE};
    DisplayTickOutput out = g.upkeep.Tick(in);
    if (out.paintMeter) {
        HDC dc = GetDC(window);
        PaintMeter(dc);
        ReleaseDC(window, dc);
    }
    if (g.screenOff.state() != 0) {
        POINT cursor;
        if (GetCursorPos(&cursor) && g.screenOff.Look(cursor.x, cursor.y) == ScreenOffWatch::Action::MonitorOff)
            MonitorOff();
    }
    if (g.flashWindow && out.flashWindow != Change::Keep)
        ShowWindow(g.flashWindow, out.flashWindow == Change::Show ? SW_SHOWMINNOACTIVE : SW_HIDE);
    std::u16string tip = SjisToUtf16(out.tip);
    SetTrayIcon(out.trayIcon, out.setTip ? &tip : nullptr);
}

void MainWindowStatusTick(HWND window, bool connectionFault) {
    const RecorderShared& shared = *g.config.shared;
    int threshold = shared.LevelThreshold.load();
    if (threshold != g.paintedThreshold) {
        g.paintedThreshold = threshold;
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    g.blinkPhase = !g.blinkPhase;
    g.status = DecideStatusWord(shared.RecorderMode.load(), connectionFault,
                                shared.RecordedBytes.load() != kNoRecordingBytes, shared.SilenceCountdown.load(),
                                g.blinkPhase);
    HDC dc = GetDC(window);
    PaintStatusWord(dc);
    ReleaseDC(window, dc);
}

void SetNumberField(const std::string& sjis) {
    {
        std::lock_guard<std::mutex> lock(g.numberMutex);
        g.numberText = sjis;
    }
    HWND window = g.threadWindow.load();
    if (!window) return;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        OnNumberFieldChanged();
    else
        PostMessageW(window, kNumberFieldMessage, 0, 0);
}

void ClearNumberField() { SetNumberField(std::string()); }

std::string NumberFieldText() {
    std::lock_guard<std::mutex> lock(g.numberMutex);
    return g.numberText;
}

}  // namespace suite
