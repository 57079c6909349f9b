// Geometry of the settings editor's two windows as a function of the
// client size, free of the platform so that it can be checked natively.
#pragma once
#include "common/layout.h"

namespace suite {

constexpr int kTopListCount = 7;    // lists 2000..2006
constexpr int kLowerRowCount = 7;   // folder list 2008, edits 2009..2013, check box 2021

// Labels painted above the top-row lists, left to right (Shift-JIS).
extern const char* const kTopListLabels[kTopListCount];
// Bytes of item text each closed top-row list must show.
extern const int kTopListShownBytes[kTopListCount];
// Labels painted left of the lower rows, top to bottom.
extern const char* const kLowerRowLabels[kLowerRowCount];

struct SettingsLayout {
    int fontHeight, fontWidth;  // label font, pixels
    int labelY;
    int labelX[kTopListCount];
    Rect lists[kTopListCount];  // height includes the drop-down part
    int rowLabelX;
    int rowLabelY[kLowerRowCount];
    Rect folderList;            // height includes the drop-down part
    Rect edits[5];              // 2009..2013
    Rect addButton, deleteButton;
    Rect rowButtons[5];         // 2016..2019, 2020
    Rect startWithWindows;      // 2021
};

// Layout of the settings window for a client of width x height pixels.
// listChrome: pixels of a drop-down list that are not text (button and
// frame); they do not grow with the window.
SettingsLayout LayoutSettingsWindow(int width, int height, int listChrome);

// One painted line of the format editor, at fractions of the client size.
struct TextLine {
    const char* text;  // Shift-JIS
    double x, y;
};

constexpr int kMaxExplanationLines = 8;

// What the format editor paints for format k: a title (red) and lines.
struct FormatExplanation {
    TextLine title;
    TextLine lines[kMaxExplanationLines];  // ends at the first null text
};

// Explanation of format k (1..4).
const FormatExplanation& ExplanationOf(int k);

struct FormatLayout {
    int fontHeight, fontWidth;
    Rect edit;
    Rect buttons[4];  // word buttons 2001..2004 (formats 3 and 4)
};

FormatLayout LayoutFormatEditor(int width, int height);

}  // namespace suite
