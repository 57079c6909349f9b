#include "ui/main_window_logic.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "ui/message_texts.h"

namespace suite {
namespace {

TEST(ThresholdSteps, FollowTheTable) {
    struct Case {
        int from, up, down;
    };
    const Case cases[] = {
        {10, 15, 9}, {11, 16, 6}, {125, 127, 120}, {3, 4, 2}, {0, 1, 0}, {9, 10, 8}, {127, 127, 122}, {1, 2, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ThresholdUp(c.from), c.up) << "from " << c.from;
        EXPECT_EQ(ThresholdDown(c.from), c.down) << "from " << c.from;
    }
}

TEST(ThresholdSteps, RepeatedPressesStayInRange) {
    int t = 0;
    for (int i = 0; i < 60; ++i) t = ThresholdUp(t);
    EXPECT_EQ(t, 127);
    for (int i = 0; i < 60; ++i) t = ThresholdDown(t);
    EXPECT_EQ(t, 0);
}

bool Inside(const Rect& r, int w, int h) {
    return r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0 && r.x + r.width <= w && r.y + r.height <= h;
}
bool Apart(const Rect& a, const Rect& b) {
    return a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y || b.y + b.height <= a.y;
}

TEST(MainWindowLayout, FractionsOfAThousandSquareClient) {
    MainWindowLayout l = LayoutMainWindow(1000, 1000);
    EXPECT_EQ(l.statusWord.x, 15);
    EXPECT_EQ(l.statusWord.y, 30);
    EXPECT_EQ(l.statusFontHeight, 130);
    EXPECT_EQ(l.manual.x, 222);
    EXPECT_EQ(l.automatic.x, 390);
    EXPECT_EQ(l.stop.x, 557);
    EXPECT_EQ(l.stop.width, 160);
    EXPECT_EQ(l.stopAndSave.x, 724);
    EXPECT_EQ(l.stopAndSave.width, 260);
    EXPECT_EQ(l.meter.y, 220);
    EXPECT_EQ(l.meter.width, 968);
    EXPECT_EQ(l.thresholdBar.y, 270);
    EXPECT_EQ(l.thresholdBar.x + l.thresholdBar.width, 984);
    EXPECT_EQ(l.thresholdUp.x, 535);
    EXPECT_EQ(l.thresholdDown.width, 450);
    EXPECT_EQ(l.arrows.x, 460);
    EXPECT_EQ(l.arrows.y, 340);
    EXPECT_EQ(l.caption.y, 540);
    EXPECT_EQ(l.numberField.y, 650);
    EXPECT_EQ(l.numberField.width, 970);
    EXPECT_EQ(l.phoneBook.x, 495);
    EXPECT_EQ(l.topmost.x, 660);
    EXPECT_EQ(l.browser.x, 825);
    EXPECT_EQ(l.browser.y, 850);
    EXPECT_EQ(l.mouseHint.x, 176);
    EXPECT_EQ(l.mouseHint.y, 860);
    EXPECT_EQ(l.buttonFontHeight, 100);
    EXPECT_EQ(l.buttonFontWidth, 20);
}

TEST(MainWindowLayout, TruncatesAndKeepsControlsApartAtAnySize) {
    MainWindowLayout odd = LayoutMainWindow(455, 161);
    EXPECT_EQ(odd.automatic.x, 177);  // 177.45
    EXPECT_EQ(odd.manual.height, 22);  // 22.54
    EXPECT_EQ(odd.numberField.y, 104);  // 104.65
    for (int w : {120, 300, 455, 640, 1017}) {
        for (int h : {80, 161, 200, 479}) {
            MainWindowLayout l = LayoutMainWindow(w, h);
            std::vector<Rect> controls = {l.manual,        l.automatic,   l.stop,      l.stopAndSave,
                                          l.thresholdDown, l.thresholdUp, l.numberField, l.screenOff,
                                          l.phoneBook,     l.topmost,     l.browser,   l.meter,
                                          l.thresholdBar};
            for (size_t i = 0; i < controls.size(); ++i) {
                EXPECT_TRUE(Inside(controls[i], w, h)) << w << "x" << h << " control " << i;
                for (size_t j = i + 1; j < controls.size(); ++j)
                    EXPECT_TRUE(Apart(controls[i], controls[j])) << w << "x" << h << " " << i << "/" << j;
            }
        }
    }
}

TEST(LevelBars, MeterFullAtTopLevelAndEmptyAtZero) {
    EXPECT_EQ(LevelPixels(968, 127), 968);
    EXPECT_EQ(LevelPixels(968, 0), 0);
    EXPECT_EQ(LevelPixels(127, 1), 1);
    EXPECT_EQ(LevelPixels(100, 64), 50);  // 50.39
    EXPECT_EQ(LevelPixels(968, 500), 968);
    EXPECT_EQ(LevelPixels(968, -3), 0);
}

TEST(LevelBars, ThresholdBarSplitsIntoRedThenGreen) {
    for (int t : {0, 10, 64, 127}) {
        ThresholdBar bar = ThresholdBarRects(1000, 500, t);
        EXPECT_EQ(bar.red.x, 15);
        EXPECT_EQ(bar.red.y, 135);
        EXPECT_EQ(bar.red.height, 20);
        EXPECT_EQ(bar.red.x + bar.red.width, bar.green.x);
        EXPECT_EQ(bar.green.x + bar.green.width, 984);
    }
    EXPECT_EQ(ThresholdBarRects(1000, 500, 0).red.width, 0);
    EXPECT_EQ(ThresholdBarRects(1000, 500, 127).red.width, 968);
    EXPECT_EQ(ThresholdBarRects(1000, 500, 10).red.width, 76);  // 76.22
}

TEST(StatusWord, CellsAreTenBytesOfTheStatusText) {
    EXPECT_EQ(StatusCellText(0), " 録音中止 ");
    EXPECT_EQ(StatusCellText(1), " 手動録音 ");
    EXPECT_EQ(StatusCellText(2), " 自動録音 ");
    EXPECT_EQ(StatusCellText(3), " 電話待機 ");
    EXPECT_EQ(StatusCellText(kStatusCellFault), " 接続不良 ");
    for (int cell = 0; cell < 6; ++cell) EXPECT_EQ(StatusCellText(cell).size(), 10u);
}

TEST(StatusWord, InkFollowsRecordingCountdownAndFault) {
    // Idle: black whatever the phase.
    for (bool phase : {false, true}) {
        StatusWordLook idle = DecideStatusWord(2, false, false, 0, phase);
        EXPECT_EQ(idle.text, " 自動録音 ");
        EXPECT_EQ(idle.ink, StatusInk::Black);
    }
    // Recording with the countdown running blinks once a second.
    EXPECT_EQ(DecideStatusWord(2, false, true, 7, false).ink, StatusInk::Yellow);
    EXPECT_EQ(DecideStatusWord(2, false, true, 7, true).ink, StatusInk::Black);
    // Recording without a countdown stays yellow.
    EXPECT_EQ(DecideStatusWord(1, false, true, 0, true).ink, StatusInk::Yellow);
    EXPECT_EQ(DecideStatusWord(1, false, true, 0, false).text, " 手動録音 ");
    // A connection fault wins over the mode and never blinks.
    for (bool open : {false, true}) {
        for (bool phase : {false, true}) {
            StatusWordLook fault = DecideStatusWord(1, true, open, 9, phase);
            EXPECT_EQ(fault.text, " 接続不良 ");
            EXPECT_EQ(fault.ink, StatusInk::Yellow);
        }
    }
    EXPECT_EQ(DecideStatusWord(9, false, false, 0, false).text, " 録音中止 ");
}

TEST(TrayTip, RecordingTimeFromRecordedBytes) {
    EXPECT_EQ(TrayRecordingTip(44 + 3725 * 16000), "録音中\n録音時間 01:02:05");
    EXPECT_EQ(TrayRecordingTip(44), "録音中\n録音時間 00:00:00");
    EXPECT_EQ(TrayRecordingTip(8044), "録音中\n録音時間 00:00:00");
    EXPECT_EQ(TrayRecordingTip(16044), "録音中\n録音時間 00:00:01");
    EXPECT_EQ(TrayRecordingTip(59 * 16000 + 15999), "録音中\n録音時間 00:00:59");
    EXPECT_EQ(TrayRecordingTip(3600 * 16000), "録音中\n録音時間 01:00:00");
    EXPECT_EQ(TrayRecordingTip(2147483647), "録音中\n録音時間 37:16:57");
}

TEST(TrayIcon, LevelStepFallsOneStepPerTick) {
    TrayLevelIcon icon;
    std::vector<int> shown;
    shown.push_back(icon.Next(127, false));
    for (int i = 0; i < 7; ++i) shown.push_back(icon.Next(0, false));
    EXPECT_EQ(shown, (std::vector<int>{107, 106, 105, 104, 103, 102, 101, 101}));
    // A louder block lifts it at once.
    EXPECT_EQ(icon.Next(45, false), 103);
    EXPECT_EQ(icon.Next(19, false), 102);
    EXPECT_EQ(icon.Next(100, false), 106);
}

TEST(TrayIcon, YellowOnTheFifthRecordingTickThenEveryFourth) {
    TrayLevelIcon icon;
    std::vector<int> shown;
    for (int i = 0; i < 13; ++i) shown.push_back(icon.Next(127, true));
    EXPECT_EQ(shown, (std::vector<int>{107, 107, 107, 107, 114, 107, 107, 107, 114, 107, 107, 107, 114}));
    TrayLevelIcon quiet;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(quiet.Next(0, true), 101);
    EXPECT_EQ(quiet.Next(0, true), 108);
}

TEST(ScreenOff, RequestTurnsMonitorOffAndABigMoveEndsIt) {
    ScreenOffWatch watch;
    EXPECT_EQ(watch.Look(10, 10), ScreenOffWatch::Action::None);  // off: nothing watched
    watch.Request();
    EXPECT_EQ(watch.state(), 2);
    EXPECT_EQ(watch.Look(300, 300), ScreenOffWatch::Action::MonitorOff);
    EXPECT_EQ(watch.state(), 1);
    EXPECT_EQ(watch.Look(300, 300), ScreenOffWatch::Action::None);
    EXPECT_EQ(watch.Look(450, 300), ScreenOffWatch::Action::None);  // 150 px: stays off
    EXPECT_EQ(watch.state(), 1);
    EXPECT_EQ(watch.Look(450, 500), ScreenOffWatch::Action::None);  // exactly 200: stays off
    EXPECT_EQ(watch.state(), 1);
    EXPECT_EQ(watch.Look(450, 299), ScreenOffWatch::Action::None);  // 201 px up
    EXPECT_EQ(watch.state(), 0);
    EXPECT_EQ(watch.Look(0, 0), ScreenOffWatch::Action::None);
}

TEST(ScreenOff, RequestWorksWhereverTheCursorWasLastSeen) {
    ScreenOffWatch watch;
    watch.Request();
    EXPECT_EQ(watch.Look(5, 5), ScreenOffWatch::Action::MonitorOff);
    EXPECT_EQ(watch.Look(500, 5), ScreenOffWatch::Action::None);
    EXPECT_EQ(watch.state(), 0);
    watch.Request();  // the cursor has not moved since it ended the last round
    EXPECT_EQ(watch.Look(500, 5), ScreenOffWatch::Action::MonitorOff);
}

DisplayTickInput In(int mode, int32_t bytes, int peak = 0, bool minimised = false) {
    return DisplayTickInput{mode, bytes, peak, minimised};
}

TEST(DisplayUpkeep, TrayShowsRecordingTimeAndLevelWhileHidden) {
    DisplayUpkeep up(2);
    EXPECT_FALSE(up.visible());
    DisplayTickOutput idle = up.Tick(In(2, 44));
    EXPECT_EQ(idle.trayIcon, 100);
    EXPECT_FALSE(idle.setTip);
    EXPECT_FALSE(idle.paintMeter);

    DisplayTickOutput first = up.Tick(In(2, 8044, 127));
    EXPECT_EQ(first.trayIcon, 107);
    EXPECT_TRUE(first.setTip);
    EXPECT_EQ(first.tip, "録音中\n録音時間 00:00:00");
    EXPECT_TRUE(up.recordingShown());

    DisplayTickOutput later = up.Tick(In(2, 44 + 3725 * 16000, 0));
    EXPECT_EQ(later.trayIcon, 106);
    EXPECT_EQ(later.tip, "録音中\n録音時間 01:02:05");

    // No new block since the last tick (the tick and the blocks keep
    // different clocks): still recording, the tip stays.
    DisplayTickOutput stalled = up.Tick(In(2, 44 + 3725 * 16000, 0));
    EXPECT_FALSE(stalled.setTip);
    EXPECT_TRUE(up.recordingShown());

    up.Tick(In(2, 44 + 3726 * 16000));
    DisplayTickOutput saved = up.Tick(In(2, 44));
    EXPECT_EQ(saved.tip, "待機中");
    EXPECT_EQ(saved.trayIcon, 100);
    DisplayTickOutput after = up.Tick(In(2, 44));
    EXPECT_FALSE(after.setTip);
}

TEST(DisplayUpkeep, TrayKeepsProgramIconWhileWindowIsShown) {
    DisplayUpkeep up(2);
    up.set_visible(true);
    DisplayTickOutput out = up.Tick(In(2, 8044, 127));
    EXPECT_EQ(out.trayIcon, 100);
    EXPECT_TRUE(out.paintMeter);
    EXPECT_TRUE(out.setTip);
}

TEST(DisplayUpkeep, TaskbarFlashesWhileRecordingAndMinimised) {
    DisplayUpkeep up(1);
    EXPECT_FALSE(up.visible());
    EXPECT_EQ(up.Tick(In(1, 44, 0, true)).flashWindow, Change::Keep);
    EXPECT_EQ(up.Tick(In(1, 8044, 0, true)).flashWindow, Change::Show);
    EXPECT_EQ(up.Tick(In(1, 16044, 0, true)).flashWindow, Change::Keep);
    // A tick that saw no new block keeps the flashing entry.
    EXPECT_EQ(up.Tick(In(1, 16044, 0, true)).flashWindow, Change::Keep);
    EXPECT_TRUE(up.recordingShown());
    // Restored: the window itself is visible, the flashing entry goes.
    DisplayTickOutput restored = up.Tick(In(1, 24044, 0, false));
    EXPECT_EQ(restored.flashWindow, Change::Hide);
    EXPECT_TRUE(up.visible());
    EXPECT_TRUE(restored.paintMeter == false);  // the meter follows the flag of the last tick
    EXPECT_TRUE(up.Tick(In(1, 32044, 0, false)).paintMeter);
    // Minimised again during the recording: flashing again.
    EXPECT_EQ(up.Tick(In(1, 40044, 0, true)).flashWindow, Change::Show);
    EXPECT_FALSE(up.visible());
    // Saved: the flashing entry goes.
    EXPECT_EQ(up.Tick(In(1, 44, 0, true)).flashWindow, Change::Hide);
    EXPECT_EQ(up.Tick(In(1, 44, 0, true)).flashWindow, Change::Keep);
}

TEST(DisplayUpkeep, TaskbarRecordingStartedWhileShownDoesNotFlash) {
    DisplayUpkeep up(1);
    up.Tick(In(1, 44, 0, false));
    EXPECT_TRUE(up.visible());
    EXPECT_EQ(up.Tick(In(1, 8044, 0, false)).flashWindow, Change::Keep);
    EXPECT_TRUE(up.recordingShown());
    EXPECT_EQ(up.Tick(In(1, 16044, 0, true)).flashWindow, Change::Show);
}

TEST(DisplayUpkeep, DesktopModeTouchesNeitherTrayNorTaskbar) {
    DisplayUpkeep up(0);
    EXPECT_TRUE(up.visible());
    for (int32_t bytes : {44, 8044, 16044, 44}) {
        DisplayTickOutput out = up.Tick(In(0, bytes, 127, true));
        EXPECT_TRUE(out.paintMeter);
        EXPECT_EQ(out.trayIcon, 0);
        EXPECT_FALSE(out.setTip);
        EXPECT_EQ(out.flashWindow, Change::Keep);
    }
}

TEST(TopmostSwitch, LabelsFollowTheState) {
    EXPECT_STREQ(TopmostLabelAtStart(true), "最前解除");
    EXPECT_STREQ(TopmostLabelAtStart(false), "最前面");
    TopmostSwitch on = ToggleTopmost(false);
    EXPECT_TRUE(on.topmost);
    EXPECT_STREQ(on.label, "前面解除");
    TopmostSwitch off = ToggleTopmost(true);
    EXPECT_FALSE(off.topmost);
    EXPECT_STREQ(off.label, "最前面");
}

TEST(MessageTexts, MissingFolderQuestionNamesTheFolder) {
    EXPECT_EQ(MissingWorkFolderText("D:\\録音"),
              "保存先フォルダーが存在しません\n現在の保存先　D:\\録音\n\n保存先をデフォルト（初期設定）に戻しますか？");
}

TEST(MainWindowPlace, UnusableStoredRectangleOpensAtTheDefault) {
    const WorkArea area{0, 0, 1280, 984};
    // An all-zero record, and rectangles too small to grab.
    for (const WindowPlace& stored : {WindowPlace{0, 0, 0, 0}, WindowPlace{10, 10, 119, 200},
                                      WindowPlace{10, 10, 470, 59}, WindowPlace{5, 5, -470, 200}}) {
        WindowPlace p = MainWindowPlace(stored, area);
        EXPECT_EQ(p.x, 1280 / 2 - 235);
        EXPECT_EQ(p.y, 984 / 2 - 200);
        EXPECT_EQ(p.width, 470);
        EXPECT_EQ(p.height, 200);
    }
    // A usable one is kept as it is, wherever it is.
    WindowPlace kept = MainWindowPlace(WindowPlace{-30, 700, 120, 60}, area);
    EXPECT_EQ(kept.x, -30);
    EXPECT_EQ(kept.y, 700);
    EXPECT_EQ(kept.width, 120);
    EXPECT_EQ(kept.height, 60);
}

TEST(NumberRequest, AClickAsksOnlyWhenNothingIsPending) {
    std::atomic<int32_t> numberReady{0};
    EXPECT_TRUE(RequestLastNumberBoard(numberReady));
    EXPECT_EQ(numberReady.load(), 2);
    EXPECT_FALSE(RequestLastNumberBoard(numberReady));
    EXPECT_EQ(numberReady.load(), 2);
    numberReady = 1;
    EXPECT_FALSE(RequestLastNumberBoard(numberReady));
    EXPECT_EQ(numberReady.load(), 1);
}

TEST(NumberRequest, ClicksRacingTheRecordingThreadNeverLoseADecodedNumber) {
    // The recording thread raises 1 while the user clicks away; whatever the
    // interleaving, the decoded number is what the next tick finds.
    for (int round = 0; round < 200; ++round) {
        std::atomic<int32_t> numberReady{0};
        std::atomic<bool> raised{false};
        std::thread recording([&] {
            while (numberReady.load() == 0) {
            }
            numberReady.store(1);
            raised = true;
        });
        while (!raised.load()) RequestLastNumberBoard(numberReady);
        for (int i = 0; i < 100; ++i) RequestLastNumberBoard(numberReady);
        recording.join();
        ASSERT_EQ(numberReady.load(), 1) << "round " << round;
    }
}

}  // namespace
}  // namespace suite
