// The browser window's arithmetic, free of the platform: where the eleven
// controls go for a client size, the font size, the folder list's entries,
// the window's place from the stored rectangle, and the settings bytes
// written when the window closes.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "browser/player.h"
#include "common/layout.h"
#include "common/recorder_settings.h"

namespace suite {

// Control identifiers of the browser window.
enum BrowserControlId : int {
    kBrowserRecordingList = 1001,
    kBrowserAction = 1002,
    kBrowserPlay = 1004,
    kBrowserEnd = 1005,
    kBrowserDelete = 1006,
    kBrowserNameBox = 1007,
    kBrowserAmplify = 1008,
    kBrowserOrder = 1009,
    kBrowserInitialRow = 1010,
    kBrowserMode = 1011,
    kBrowserFolderList = 1100,
};

constexpr int kBrowserControlCount = 11;

struct BrowserControlPlace {
    int id;
    Rect rect;  // the two drop-down lists: height of the dropped list
};

// Everything a layout fixes for a client of w × h.
struct BrowserGeometry {
    int width = 0, height = 0;
    BrowserControlPlace controls[kBrowserControlCount];  // in creation order
    int fontHeight = 0, fontWidth = 0;
    BarGeometry bar{0, 0, 0, 0};
    int markerRest = 0;
};

// workAreaHeight: the desktop work area's height (the lists drop a third of it).
BrowserGeometry LayoutBrowser(int w, int h, int workAreaHeight);

// The folder list: entry 0 the browsed folder as shown, then the stored
// folder_list slots up to the first empty one.
std::vector<std::string> FolderListEntries(const std::string& browseFolder, const std::string& programFolder,
                                           const RecorderSettings& settings);

// The outer rectangle the window opens with.
struct WindowPlace {
    int x, y, width, height;
};
// Smallest outer size the window may be dragged to: below it the bar and
// the texts have no room.
constexpr int kBrowserMinWidth = 320;
constexpr int kBrowserMinHeight = 150;
// The stored rectangle when it is usable: at least the minimum size and
// reachable on the work area (a title bar's worth inside it); else the
// default place, 620 × 210 near the middle of the work area.
WindowPlace BrowserPlaceFor(const WindowPlace& stored, const WorkArea& area);
WindowPlace StoredBrowserPlace(const RecorderSettings& settings);

// The settings bytes the browser owns, written into the existing file at
// close: browser_flags (4 bytes at 4), browser_sort and browser_amplify
// (2 at 12), and the main window's position texts that sit between
// (20 at 42). Nothing else of the file changes.
bool WriteBrowserCloseBytes(const std::string& path, const RecorderSettings& settings);

}  // namespace suite
