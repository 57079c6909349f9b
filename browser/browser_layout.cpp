#include "browser/browser_layout.h"

#include "common/file_name_rules.h"
#include "common/position_text.h"
#include "common/settings_file.h"

namespace suite {

namespace {

struct ControlFractions {
    int id;
    double x, y, w, h;  // h < 0: a drop-down list (a third of the work area)
};

// In the order the window creates them.
const ControlFractions kControls[kBrowserControlCount] = {
    {kBrowserNameBox, 0.014, 0.16, 0.78, 0.12},   {kBrowserFolderList, 0.014, 0.58, 0.975, -1},
    {kBrowserRecordingList, 0.014, 0.30, 0.78, -1}, {kBrowserAction, 0.795, 0.16, 0.12, 0.12},
    {kBrowserDelete, 0.92, 0.16, 0.068, 0.12},    {kBrowserAmplify, 0.795, 0.74, 0.12, 0.12},
    {kBrowserPlay, 0.795, 0.88, 0.12, 0.12},      {kBrowserEnd, 0.92, 0.88, 0.068, 0.12},
    {kBrowserOrder, 0.795, 0.03, 0.068, 0.12},    {kBrowserInitialRow, 0.795, 0.30, 0.12, 0.12},
    {kBrowserMode, 0.268, 0.03, 0.068, 0.12},
};

// Width of a title bar's grip that must stay on the work area.
constexpr int kReachable = 40;

}  // namespace

BrowserGeometry LayoutBrowser(int w, int h, int workAreaHeight) {
    BrowserGeometry g;
    g.width = w;
    g.height = h;
    for (int i = 0; i < kBrowserControlCount; ++i) {
        const ControlFractions& c = kControls[i];
        Rect r = FractionRect(w, h, c.x, c.y, c.w, c.h < 0 ? 0 : c.h);
        if (c.h < 0) r.height = workAreaHeight / 3;
        g.controls[i] = BrowserControlPlace{c.id, r};
    }
    g.fontHeight = Fraction(h, 0.08);
    g.fontWidth = Fraction(w, 0.014);
    g.bar = BarFor(w, h);
    g.markerRest = MarkerRest(w);
    return g;
}

std::vector<std::string> FolderListEntries(const std::string& browseFolder, const std::string& programFolder,
                                           const RecorderSettings& settings) {
    std::vector<std::string> entries{ResolvedFolder(browseFolder, programFolder)};
    for (size_t slot = 0; slot < RecorderSettings::kFolderSlots; ++slot) {
        std::string text = settings.folder_list(slot).Get();
        if (text.empty()) break;
        entries.push_back(text);
    }
    return entries;
}

WindowPlace BrowserPlaceFor(const WindowPlace& s, const WorkArea& a) {
    const bool bigEnough = s.width >= kBrowserMinWidth && s.height >= kBrowserMinHeight &&
                           s.width <= 4 * (a.right - a.left) + kBrowserMinWidth &&
                           s.height <= 4 * (a.bottom - a.top) + kBrowserMinHeight;
    // The caption's top edge lies on the work area with some of its width.
    const bool reachable = s.y >= a.top && s.y <= a.bottom - kReachable && s.x + s.width >= a.left + kReachable &&
                           s.x <= a.right - kReachable;
    if (bigEnough && reachable) return s;
    return WindowPlace{a.right / 2 - 310, a.bottom / 2 - 100, 620, 210};
}

WindowPlace StoredBrowserPlace(const RecorderSettings& settings) {
    auto& s = const_cast<RecorderSettings&>(settings);
    return WindowPlace{ReadPositionText(s.browser_window_text(0)), ReadPositionText(s.browser_window_text(1)),
                       ReadPositionText(s.browser_window_text(2)), ReadPositionText(s.browser_window_text(3))};
}

bool WriteBrowserCloseBytes(const std::string& path, const RecorderSettings& settings) {
    const uint8_t* image = settings.data();
    bool ok = WriteSettingsBytes(path, image, RecorderSettings::kBrowserFlags, 4);
    ok = WriteSettingsBytes(path, image, RecorderSettings::kBrowserSort, 2) && ok;
    ok = WriteSettingsBytes(path, image, RecorderSettings::kMainWindowText, 20) && ok;
    return ok;
}

}  // namespace suite
