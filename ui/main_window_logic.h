// Decisions of the main window that need no window: threshold steps,
// geometry, the status word, the tray tip and icon, the screen-off watch and
// the task bar / tray upkeep of each tick.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "common/layout.h"
#include "common/suite_resources.h"
#include "common/settings_file.h"

namespace suite {

constexpr int kLevelMax = 127;

// Control identifiers.
enum MainWindowId {
    kIdManual = 3001,           // "手動録音"
    kIdAutomatic = 3002,        // "自動録音"
    kIdStop = 3003,             // "録音中止"
    kIdStopAndSave = 3103,      // "録音中止+保存"
    kIdThresholdUp = 3004,      // "自動録音開始レベル増加"
    kIdThresholdDown = 3005,    // "自動録音開始レベル減少"
    kIdScreenOff = 3006,        // "画面消す"
    kIdPhoneBook = 2021,        // "電話帳"
    kIdTopmost = 7003,          // "最前面" / "前面解除" / "最前解除"
    kIdBrowser = 3009,          // "記録操作"
    kIdNumberField = 2020,
    kIdClearNumberField = 2022,
    kIdTrayShow = 1,            // tray menu "最大化"
    kIdTrayHide = 2,            // "最小化"
    kIdTrayClose = 3,           // "閉じる"
    // The window menu's "ログオン時に … を起動する" (WM_SYSCOMMAND: low four bits clear).
    kIdStartWithWindows = 0x1010,
};

// Icons: 100 the program, 101..107 the level steps, 108..114 the same on yellow.
constexpr int kIconProgram = IDI_APP;
constexpr int kIconLevelFirst = IDI_LEVEL_FIRST;
constexpr int kIconBlinkOffset = 7;

// Threshold buttons: steps of 5 above 10, of 1 below, kept in 0..127.
int ThresholdUp(int t);
int ThresholdDown(int t);

struct Point {
    int x, y;
};

// Every position inside a client of w x h pixels.
struct MainWindowLayout {
    Point statusWord;
    int statusFontHeight, statusFontWidth;
    Rect manual, automatic, stop, stopAndSave;
    Rect meter;         // full width of the level meter
    Rect thresholdBar;  // from 0.015 W to 0.984 W
    Rect thresholdDown, thresholdUp;
    Point arrows;       // "＜＞"
    Point caption;      // "録音ファイル名等を表示"
    Rect numberField;
    Rect screenOff, phoneBook, topmost, browser;
    Point mouseHint;    // "マウス移動で復帰"
    int buttonFontHeight, buttonFontWidth;
};
MainWindowLayout LayoutMainWindow(int w, int h);

// Pixels of a bar of `width` filled for level (0..127); out-of-range levels
// are clamped.
int LevelPixels(int width, int level);

// The threshold bar: red part and green part, side by side.
struct ThresholdBar {
    Rect red, green;
};
ThresholdBar ThresholdBarRects(int w, int h, int threshold);

// The status word: a 10-byte cell of " 録音中止 手動録音 自動録音 電話待機
// 録音中断 接続不良 " and its ink on the red ground.
enum class StatusInk { Black, Yellow };
struct StatusWordLook {
    std::string text;  // 10 bytes, Shift-JIS
    StatusInk ink;
};
constexpr int kStatusCellFault = 5;
std::string StatusCellText(int cell);
// blinkPhase alternates every tick; while a recording counts down to its
// end the word is black on every second tick.
StatusWordLook DecideStatusWord(int recorderMode, bool connectionFault, bool recordingOpen, int silenceCountdown,
                                bool blinkPhase);

// Tray tip while recording: "録音中\n録音時間 hh:mm:ss" for the seconds of
// audio RecordedBytes holds (16000 bytes a second).
std::string TrayRecordingTip(int32_t recordedBytes);
extern const char kTrayIdleTip[];  // "待機中"

// The tray icon while recording with the window hidden: the level's step,
// falling back one step a tick, on yellow every fourth tick.
class TrayLevelIcon {
public:
    int Next(int peakLevel, bool recordingShown);

private:
    int lastStep_ = 0;
    int blink_ = 0;
};

// Screen-off mode: 0 off, 2 requested, 1 active.
class ScreenOffWatch {
public:
    enum class Action { None, MonitorOff };
    void Request();
    Action Look(int x, int y);
    int state() const { return state_; }

private:
    int state_ = 0;
    bool known_ = false;  // whether last_ holds a position seen
    Point last_{0, 0};
};

// Task bar and tray upkeep of each tick.
struct DisplayTickInput {
    int displayMode;        // 0 desktop, 1 task bar, 2 tray
    int32_t recordedBytes;  // 44: no recording open
    int peakLevel;
    bool minimised;         // the main window is minimised
};
enum class Change { Keep, Show, Hide };
struct DisplayTickOutput {
    bool paintMeter = false;   // the level meter is painted
    int trayIcon = 0;          // icon to set, 0 none
    bool setTip = false;
    std::string tip;
    Change flashWindow = Change::Keep;
};
class DisplayUpkeep {
public:
    explicit DisplayUpkeep(int displayMode);
    DisplayTickOutput Tick(const DisplayTickInput& in);

    // The window-visible flag, also set by the tray clicks and menu.
    bool visible() const { return visible_; }
    void set_visible(bool v) { visible_ = v; }
    bool recordingShown() const { return recordingShown_; }

private:
    bool visible_;
    bool recordingShown_ = false;
    int32_t lastRecordedBytes_ = 44;
    TrayLevelIcon trayIcon_;
};

// A click on the main window asks for the board of the last number
// (NumberReady 0 -> 2). A number the recording thread has just decoded (1)
// is never overwritten: it still has to be shown, named and written out.
// True when the request was made.
bool RequestLastNumberBoard(std::atomic<int32_t>& numberReady);

// Topmost switch: the new topmost value and the button's label.
struct TopmostSwitch {
    bool topmost;
    const char* label;
};
TopmostSwitch ToggleTopmost(bool topmostNow);
const char* TopmostLabelAtStart(bool topmost);

// Where the main window opens: the stored rectangle, or the default one of
// the work area when the stored one is too small to see or use (a record
// written all zero by the settings editor holds 0, 0, 0, 0).
struct WindowPlace {
    int x, y, width, height;
};
constexpr int kMainWindowUsableWidth = 120;
constexpr int kMainWindowUsableHeight = 60;
WindowPlace MainWindowPlace(const WindowPlace& stored, const WorkArea& area);

}  // namespace suite
