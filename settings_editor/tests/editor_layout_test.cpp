#include "settings_editor/editor_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace suite;

namespace {

// Drop-down button and frame as Wine and Windows draw them at 96 dpi.
constexpr int kListChrome = 26;

struct Size {
    int w, h;
};

// Client sizes from below the smallest window to a large screen, in odd
// steps so that rounding is exercised.
std::vector<Size> ClientSizes() {
    std::vector<Size> sizes;
    for (int w = 370; w <= 2000; w += 37) {
        for (int h = 110; h <= 1100; h += 53) sizes.push_back(Size{w, h});
    }
    sizes.push_back(Size{764, 221});  // the default 780 x 260 window on Windows
    sizes.push_back(Size{772, 233});  // and under Wine
    return sizes;
}

int TextWidth(const char* sjis, int fontWidth) { return static_cast<int>(std::strlen(sjis)) * fontWidth; }

bool Apart(int a0, int a1, int b0, int b1) { return a1 <= b0 || b1 <= a0; }

bool Intersect(const Rect& a, const Rect& b) {
    return !Apart(a.x, a.x + a.width, b.x, b.x + b.width) && !Apart(a.y, a.y + a.height, b.y, b.y + b.height);
}

std::string At(Size s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

}  // namespace

TEST(SettingsLayout, TopRowListsAndLabelsStayApartInsideTheClient) {
    for (Size s : ClientSizes()) {
        SettingsLayout l = LayoutSettingsWindow(s.w, s.h, kListChrome);
        for (int i = 0; i < kTopListCount; ++i) {
            const Rect& list = l.lists[i];
            int labelEnd = l.labelX[i] + TextWidth(kTopListLabels[i], l.fontWidth);
            EXPECT_GE(list.x, 0) << At(s) << " list " << i;
            EXPECT_LE(list.x + list.width, s.w) << At(s) << " list " << i;
            EXPECT_GE(l.labelX[i], 0) << At(s) << " label " << i;
            EXPECT_LE(labelEnd, s.w) << At(s) << " label " << i;
            // A label stays over its own list.
            EXPECT_FALSE(Apart(l.labelX[i], labelEnd, list.x, list.x + list.width)) << At(s) << " label " << i;
            if (i + 1 < kTopListCount) {
                EXPECT_LT(list.x + list.width, l.lists[i + 1].x) << At(s) << " lists " << i;
                EXPECT_LT(labelEnd, l.labelX[i + 1]) << At(s) << " labels " << i;
            }
        }
        // Labels end above the lists.
        EXPECT_LE(l.labelY + l.fontHeight, l.lists[0].y + l.fontHeight / 4) << At(s);
    }
}

TEST(SettingsLayout, ClosedListsShowTheirTextFromTheDefaultSizeOn) {
    for (Size s : ClientSizes()) {
        if (s.w < 764) continue;
        SettingsLayout l = LayoutSettingsWindow(s.w, s.h, kListChrome);
        for (int i = 0; i < kTopListCount; ++i) {
            EXPECT_GE(l.lists[i].width, kTopListShownBytes[i] * l.fontWidth + kListChrome) << At(s) << " list " << i;
        }
    }
}

TEST(SettingsLayout, QualityListShowsTheFileTypeOnlyWhenItFitsWhole) {
    // "原　音" is 6 bytes, "原　音 wav" 10: a width in between would cut a letter.
    auto qualityText = [](Size s) {
        SettingsLayout l = LayoutSettingsWindow(s.w, s.h, kListChrome);
        return (l.lists[1].width - kListChrome) / l.fontWidth;
    };
    EXPECT_EQ(qualityText(Size{772, 233}), 6);
    EXPECT_EQ(qualityText(Size{1200, 400}), 10);
    for (Size s : ClientSizes()) {
        if (s.w < 764) continue;
        int shown = qualityText(s);
        EXPECT_TRUE(shown == 6 || shown == 10) << At(s) << " shows " << shown;
    }
}

TEST(SettingsLayout, LowerRowsDoNotOverlap) {
    for (Size s : ClientSizes()) {
        SettingsLayout l = LayoutSettingsWindow(s.w, s.h, kListChrome);
        // The folder list's rectangle includes its drop-down: use the edit height.
        std::vector<Rect> rows = {Rect{l.folderList.x, l.folderList.y, l.folderList.width, l.edits[0].height}};
        for (const Rect& edit : l.edits) rows.push_back(edit);
        rows.push_back(l.startWithWindows);
        for (int row = 0; row < kLowerRowCount; ++row) {
            EXPECT_LT(l.rowLabelX + TextWidth(kLowerRowLabels[row], l.fontWidth), rows[row].x) << At(s) << " " << row;
            EXPECT_LE(rows[row].y + rows[row].height, s.h) << At(s) << " " << row;
            if (row + 1 < kLowerRowCount) {
                EXPECT_LE(rows[row].y + rows[row].height, rows[row + 1].y) << At(s);
            }
            if (row == kLowerRowCount - 1) continue;  // the check box has no button
            const Rect& button = row == 0 ? l.addButton : l.rowButtons[row - 1];
            EXPECT_LT(rows[row].x + rows[row].width, button.x) << At(s) << " " << row;
        }
        EXPECT_FALSE(Intersect(l.addButton, l.deleteButton)) << At(s);
        EXPECT_LE(l.deleteButton.x + l.deleteButton.width, s.w) << At(s);
        EXPECT_GE(rows[0].y, l.lists[0].y + l.edits[0].height) << At(s);  // below the closed top lists
    }
}

TEST(FormatEditorLayout, ExplanationsFitAndOverlapNothing) {
    for (int k = 1; k <= 4; ++k) {
        const FormatExplanation& e = ExplanationOf(k);
        std::vector<TextLine> lines = {e.title};
        for (const TextLine& line : e.lines) {
            if (line.text) lines.push_back(line);
        }
        ASSERT_GE(lines.size(), 7u) << k;
        for (Size s : ClientSizes()) {
            FormatLayout l = LayoutFormatEditor(s.w, s.h);
            std::vector<Rect> boxes;
            for (const TextLine& line : lines) {
                boxes.push_back(Rect{Fraction(s.w, line.x), Fraction(s.h, line.y), TextWidth(line.text, l.fontWidth),
                                     l.fontHeight});
            }
            for (size_t i = 0; i < boxes.size(); ++i) {
                const Rect& b = boxes[i];
                EXPECT_LE(b.x + b.width, s.w) << k << " " << At(s) << " " << i;
                EXPECT_LE(b.y + b.height, s.h) << k << " " << At(s) << " " << i;
                EXPECT_FALSE(Intersect(b, l.edit)) << k << " " << At(s) << " " << i;
                if (k >= 3) {
                    for (const Rect& button : l.buttons) {
                        EXPECT_FALSE(Intersect(b, button)) << k << " " << At(s) << " " << i;
                    }
                }
                for (size_t j = i + 1; j < boxes.size(); ++j) {
                    EXPECT_FALSE(Intersect(b, boxes[j])) << k << " " << At(s) << " " << i << "/" << j;
                }
            }
        }
    }
}

TEST(FormatEditorLayout, WordButtonsHoldTheirWordsInOneRow) {
    const char* longest[4] = {"着信", "着信日付", "電話番号", "電話帳"};
    for (Size s : ClientSizes()) {
        FormatLayout l = LayoutFormatEditor(s.w, s.h);
        for (int i = 0; i < 4; ++i) {
            EXPECT_GE(l.buttons[i].width, TextWidth(longest[i], l.fontWidth)) << At(s) << " " << i;
            EXPECT_EQ(l.buttons[i].y, l.buttons[0].y);
            EXPECT_GE(l.buttons[i].y, l.edit.y + l.edit.height) << At(s);
            if (i < 3) {
                EXPECT_LT(l.buttons[i].x + l.buttons[i].width, l.buttons[i + 1].x) << At(s) << " " << i;
            }
        }
    }
}
