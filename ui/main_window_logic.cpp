#include "ui/main_window_logic.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/recorder_shared.h"

namespace suite {

const char kTrayIdleTip[] = "待機中";

namespace {

// Cells of 9 bytes, each painted 10 bytes wide (with the next cell's space).
const char kStatusCells[] = " 録音中止 手動録音 自動録音 電話待機 録音中断 接続不良 ";
constexpr int kStatusCellStride = 9;
constexpr int kStatusCellWidth = 10;
constexpr int kStatusCellCount = 6;

constexpr int kScreenOffMove = 200;  // pixels of cursor move per look that end screen-off
constexpr int kLevelsPerStep = 20;
constexpr int kTopStep = 6;
constexpr int kBlinkEvery = 4;

}  // namespace

int ThresholdUp(int t) {
    t = t > 9 ? t + 5 : t + 1;
    return std::min(t, kLevelMax);
}

int ThresholdDown(int t) {
    t = t < 11 ? t - 1 : t - 5;
    return std::max(t, 0);
}

MainWindowLayout LayoutMainWindow(int w, int h) {
    MainWindowLayout l{};
    l.statusWord = {Fraction(w, 0.015), Fraction(h, 0.03)};
    l.statusFontHeight = Fraction(h, 0.13);
    l.statusFontWidth = Fraction(w, 0.02);
    l.manual = FractionRect(w, h, 0.222, 0.03, 0.16, 0.14);
    l.automatic = FractionRect(w, h, 0.39, 0.03, 0.16, 0.14);
    l.stop = FractionRect(w, h, 0.557, 0.03, 0.16, 0.14);
    l.stopAndSave = FractionRect(w, h, 0.724, 0.03, 0.26, 0.14);
    l.meter = FractionRect(w, h, 0.015, 0.22, 0.968, 0.04);
    l.thresholdBar = FractionRect(w, h, 0.015, 0.27, 0, 0.04);
    l.thresholdBar.width = Fraction(w, 0.984) - l.thresholdBar.x;
    l.thresholdDown = FractionRect(w, h, 0.015, 0.33, 0.45, 0.14);
    l.thresholdUp = FractionRect(w, h, 0.535, 0.33, 0.45, 0.14);
    l.arrows = {Fraction(w, 0.46), Fraction(h, 0.34)};
    l.caption = {Fraction(w, 0.015), Fraction(h, 0.54)};
    l.numberField = FractionRect(w, h, 0.015, 0.65, 0.97, 0.14);
    l.screenOff = FractionRect(w, h, 0.015, 0.85, 0.16, 0.14);
    l.phoneBook = FractionRect(w, h, 0.495, 0.85, 0.16, 0.14);
    l.topmost = FractionRect(w, h, 0.66, 0.85, 0.16, 0.14);
    l.browser = FractionRect(w, h, 0.825, 0.85, 0.16, 0.14);
    l.mouseHint = {Fraction(w, 0.176), Fraction(h, 0.86)};
    l.buttonFontHeight = Fraction(h, 0.1);
    l.buttonFontWidth = Fraction(w, 0.02);
    return l;
}

int LevelPixels(int width, int level) {
    level = std::max(0, std::min(level, kLevelMax));
    return static_cast<int>(static_cast<double>(width) * level / kLevelMax);
}

ThresholdBar ThresholdBarRects(int w, int h, int threshold) {
    threshold = std::max(0, std::min(threshold, kLevelMax));
    int x0 = Fraction(w, 0.015);
    int y = Fraction(h, 0.27);
    int height = Fraction(h, 0.04);
    int right = Fraction(w, 0.984);
    int red = static_cast<int>(w * 0.968 * threshold / kLevelMax);
    int split = std::min(x0 + red, right);
    return ThresholdBar{Rect{x0, y, split - x0, height}, Rect{split, y, right - split, height}};
}

std::string StatusCellText(int cell) {
    if (cell < 0 || cell >= kStatusCellCount) cell = 0;
    return std::string(kStatusCells + cell * kStatusCellStride, kStatusCellWidth);
}

StatusWordLook DecideStatusWord(int recorderMode, bool connectionFault, bool recordingOpen, int silenceCountdown,
                                bool blinkPhase) {
    if (connectionFault) return {StatusCellText(kStatusCellFault), StatusInk::Yellow};
    // Mode 3 is replaced by 0 in the pass that applies it; anything outside
    // the four modes shows as stopped.
    int cell = recorderMode >= 0 && recorderMode <= 3 ? recorderMode : 0;
    StatusInk ink = StatusInk::Black;
    if (recordingOpen) ink = silenceCountdown != 0 && blinkPhase ? StatusInk::Black : StatusInk::Yellow;
    return {StatusCellText(cell), ink};
}

std::string TrayRecordingTip(int32_t recordedBytes) {
    int seconds = std::max<int32_t>(recordedBytes, 0) / 16000;
    int hours = seconds / 3600;
    int minutes = (seconds - 3600 * hours) / 60;
    seconds -= 3600 * hours + 60 * minutes;
    char time[32];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", hours, minutes, seconds);
    return std::string("録音中\n録音時間 ") + time;
}

int TrayLevelIcon::Next(int peakLevel, bool recordingShown) {
    int step = std::max(std::max(peakLevel, 0) / kLevelsPerStep, lastStep_);
    step = std::min(step, kTopStep);
    int icon = kIconLevelFirst + step;
    if (recordingShown) {
        if (blink_ == kBlinkEvery) {
            icon += kIconBlinkOffset;
            blink_ = 0;
        }
        ++blink_;
    }
    lastStep_ = std::max(step - 1, 0);
    return icon;
}

void ScreenOffWatch::Request() {
    state_ = 2;
    // The monitor goes off at the next look, wherever the cursor is.
    known_ = false;
}

ScreenOffWatch::Action ScreenOffWatch::Look(int x, int y) {
    if (state_ == 0) return Action::None;
    if (known_ && x == last_.x && y == last_.y) return Action::None;
    Point before = last_;
    bool hadBefore = known_;
    last_ = {x, y};
    known_ = true;
    if (state_ == 2) {
        state_ = 1;
        return Action::MonitorOff;
    }
    if (hadBefore && (std::abs(x - before.x) > kScreenOffMove || std::abs(y - before.y) > kScreenOffMove)) state_ = 0;
    return Action::None;
}

DisplayUpkeep::DisplayUpkeep(int displayMode) : visible_(displayMode == 0) {}

DisplayTickOutput DisplayUpkeep::Tick(const DisplayTickInput& in) {
    DisplayTickOutput out;
    bool open = in.recordedBytes != kNoRecordingBytes;
    bool changed = in.recordedBytes != lastRecordedBytes_;
    lastRecordedBytes_ = in.recordedBytes;
    // The 500 ms tick and the 500 ms blocks run on different clocks: about
    // one tick in five sees no new block. The recording state is therefore
    // kept until the recording ends, not dropped on such a tick.

    out.paintMeter = visible_;
    if (in.displayMode == 2 && !visible_ && open) out.trayIcon = trayIcon_.Next(in.peakLevel, recordingShown_);

    if (in.displayMode == 1) {
        if (changed && open && !recordingShown_) {
            if (!visible_) out.flashWindow = Change::Show;
            recordingShown_ = true;
        } else if (!open && recordingShown_) {
            out.flashWindow = Change::Hide;
            recordingShown_ = false;
        }
        if (in.minimised && visible_) {
            visible_ = false;
            if (recordingShown_) out.flashWindow = Change::Show;
        } else if (!in.minimised && !visible_) {
            visible_ = true;
            out.flashWindow = Change::Hide;
        }
    } else if (in.displayMode == 2) {
        if (changed && open) {
            out.setTip = true;
            out.tip = TrayRecordingTip(in.recordedBytes);
            recordingShown_ = true;
        } else if (!open && recordingShown_) {
            out.setTip = true;
            out.tip = kTrayIdleTip;
            recordingShown_ = false;
        }
        if (visible_ || !open) out.trayIcon = kIconProgram;
    }
    return out;
}

bool RequestLastNumberBoard(std::atomic<int32_t>& numberReady) {
    int32_t nothingPending = 0;
    return numberReady.compare_exchange_strong(nothingPending, 2);
}

TopmostSwitch ToggleTopmost(bool topmostNow) {
    if (topmostNow) return {false, "最前面"};
    return {true, "前面解除"};
}

const char* TopmostLabelAtStart(bool topmost) { return topmost ? "最前解除" : "最前面"; }

WindowPlace MainWindowPlace(const WindowPlace& stored, const WorkArea& area) {
    if (stored.width >= kMainWindowUsableWidth && stored.height >= kMainWindowUsableHeight) return stored;
    // The same rectangle a new settings record gets.
    return WindowPlace{area.right / 2 - 235, area.bottom / 2 - 200, 470, 200};
}

}  // namespace suite
