#include "browser/browser_layout.h"

#include <gtest/gtest.h>

#include "common/position_text.h"
#include "common/settings_record.h"
#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::WriteAllBytes;

namespace {

Rect Place(const BrowserGeometry& g, int id) {
    for (const BrowserControlPlace& c : g.controls)
        if (c.id == id) return c.rect;
    ADD_FAILURE() << "no control " << id;
    return Rect{};
}

void ExpectRect(const Rect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

}  // namespace

TEST(BrowserLayout, ControlsFontAndBarAtOneThousandByFourHundred) {
    BrowserGeometry g = LayoutBrowser(1000, 400, 740);
    ExpectRect(Place(g, kBrowserNameBox), 14, 64, 780, 48);
    // The lists drop a third of the work area, whatever the client.
    ExpectRect(Place(g, kBrowserRecordingList), 14, 120, 780, 246);
    // 0.58 × 400 is 231.99… in double precision.
    ExpectRect(Place(g, kBrowserFolderList), 14, 231, 975, 246);
    ExpectRect(Place(g, kBrowserPlay), 795, 352, 120, 48);
    ExpectRect(Place(g, kBrowserEnd), 920, 352, 68, 48);
    ExpectRect(Place(g, kBrowserMode), 268, 12, 68, 48);
    EXPECT_EQ(g.fontHeight, 32);
    EXPECT_EQ(g.fontWidth, 14);
    EXPECT_EQ(g.bar.left, 25);
    EXPECT_EQ(g.bar.right, 780);
    EXPECT_EQ(g.bar.top, 348);
    EXPECT_EQ(g.bar.bottom, 392);
    EXPECT_EQ(g.markerRest, 28);
    // Every identifier once.
    int sum = 0;
    for (const BrowserControlPlace& c : g.controls) sum += c.id;
    EXPECT_EQ(sum, 1001 + 1002 + 1004 + 1005 + 1006 + 1007 + 1008 + 1009 + 1010 + 1011 + 1100);
}

TEST(BrowserLayout, FolderListShowsDriveAndUncPathsAsStoredOthersUnderTheProgram) {
    SettingsRecord settings;
    const char* slots[] = {"通話記録\\", "D:\\calls\\", "\\\\server\\share\\rec\\", "", "E:\\after-a-gap\\"};
    for (size_t i = 0; i < 5; ++i) settings.folder_list(i).Set(slots[i]);
    const std::string program = "C:\\Program Files\\Corvinet\\";

    std::vector<std::string> entries = FolderListEntries("通話記録\\2026年12月\\", program, settings);
    EXPECT_EQ(entries, (std::vector<std::string>{program + "通話記録\\2026年12月\\", "通話記録\\", "D:\\calls\\",
                                                 "\\\\server\\share\\rec\\"}));
    EXPECT_EQ(FolderListEntries("\\\\server\\share\\", program, settings)[0], "\\\\server\\share\\");
}

TEST(BrowserLayout, UnusableStoredRectangleOpensAtTheDefaultPlace) {
    const WorkArea area{0, 0, 1024, 740};
    const WindowPlace fallback{202, 270, 620, 210};
    auto expectPlace = [](const WindowPlace& p, const WindowPlace& want) {
        EXPECT_EQ(p.x, want.x);
        EXPECT_EQ(p.y, want.y);
        EXPECT_EQ(p.width, want.width);
        EXPECT_EQ(p.height, want.height);
    };
    expectPlace(BrowserPlaceFor(WindowPlace{0, 0, 0, 0}, area), fallback);          // all-zero record
    expectPlace(BrowserPlaceFor(WindowPlace{3000, 100, 620, 210}, area), fallback); // off screen right
    expectPlace(BrowserPlaceFor(WindowPlace{100, -500, 620, 210}, area), fallback); // caption above the screen
    expectPlace(BrowserPlaceFor(WindowPlace{100, 100, 30, 20}, area), fallback);    // a bar of no width
    const WindowPlace kept{10, 20, 1000, 400};
    expectPlace(BrowserPlaceFor(kept, area), kept);
    // The default texts of a new record give the default place.
    SettingsRecord settings;
    const int texts[4] = {202, 270, 620, 210};
    for (int i = 0; i < 4; ++i) WritePositionText(settings.browser_window_text(i), texts[i]);
    expectPlace(BrowserPlaceFor(StoredBrowserPlace(settings), area), fallback);
}

TEST(BrowserLayout, CloseWritesOnlyItsThreeRangesIntoTheExistingFile) {
    TestFolder dir;
    std::vector<uint8_t> before(3572, 0xEE);
    WriteAllBytes("settings.ini", before);
    SettingsRecord settings;
    for (size_t i = 0; i < settings.size(); ++i) settings.data()[i] = static_cast<uint8_t>(i % 251);

    ASSERT_TRUE(WriteBrowserCloseBytes("settings.ini", settings));
    std::vector<uint8_t> after = ReadAllBytes("settings.ini");
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        const bool owned = (i >= 4 && i < 8) || i == 12 || i == 13 || (i >= 42 && i < 62);
        EXPECT_EQ(after[i], owned ? settings.data()[i] : 0xEE) << "byte " << i;
    }
    // A file that is gone is not made anew.
    EXPECT_FALSE(WriteBrowserCloseBytes("missing.ini", settings));
    EXPECT_FALSE(suite_test::Utf8PathExists("missing.ini"));
}
