#include "settings_editor/editor_layout.h"

#include <cstring>

namespace suite {

const char* const kTopListLabels[kTopListCount] = {"無音の秒数", "音質", "起動状態", "起動場所",
                                                   "接続設定画面", "警告音量", "情報ボード"};
// "10"; the quality word; "録音停止"; "デスクトップ"; "非表示"; "OFF"; "電話帳有りで表示".
const int kTopListShownBytes[kTopListCount] = {2, 6, 8, 12, 6, 3, 16};
const char* const kLowerRowLabels[kLowerRowCount] = {"記録フォルダー（録音時）", "通話記録フォルダー名形式",
                                                     "通話記録ファイル名形式", "ファイル名フォーマット着信",
                                                     "ファイル名フォーマット発信", "着信フォルダー",
                                                     "Windows 起動時"};

namespace {

constexpr int kQualityList = 1;
constexpr int kQualityExtraBytes = 4;  // " wav" / " ogg" after the quality word

// Top row: each list as wide as the text it must show; spare width lets the
// quality list show its file type, the rest widens the gaps. Too little
// width narrows every list alike. Each label is centred over its list and
// pushed aside only as far as needed to keep clear of its neighbours.
void LayoutTopRow(int w, int h, int listChrome, SettingsLayout* l) {
    const int margin = Fraction(w, 0.006);
    const int minGap = Fraction(w, 0.006);
    int widths[kTopListCount];
    int needed = 2 * margin + (kTopListCount - 1) * minGap;
    for (int i = 0; i < kTopListCount; ++i) {
        widths[i] = kTopListShownBytes[i] * l->fontWidth + listChrome;
        needed += widths[i];
    }
    int spare = w - needed;
    if (spare >= kQualityExtraBytes * l->fontWidth) {
        widths[kQualityList] += kQualityExtraBytes * l->fontWidth;
        spare -= kQualityExtraBytes * l->fontWidth;
    }
    if (spare < 0) {
        int listsTotal = needed - 2 * margin - (kTopListCount - 1) * minGap;
        int available = listsTotal + spare;
        for (int& width : widths) width = static_cast<int>(static_cast<long long>(width) * available / listsTotal);
        spare = 0;
    }
    const int listHeight = Fraction(h, 0.105) + 7 * l->fontHeight;
    int x = margin;
    for (int i = 0; i < kTopListCount; ++i) {
        l->lists[i] = Rect{x, Fraction(h, 0.1), widths[i], listHeight};
        x += widths[i] + minGap + spare / (kTopListCount - 1);
    }

    // Labels are taller than wide at large sizes: keep them further apart.
    const int labelGap = Fraction(w, 0.012);
    int labelWidths[kTopListCount];
    for (int i = 0; i < kTopListCount; ++i) {
        labelWidths[i] = static_cast<int>(std::strlen(kTopListLabels[i])) * l->fontWidth;
        l->labelX[i] = l->lists[i].x + (l->lists[i].width - labelWidths[i]) / 2;
    }
    l->labelX[0] = l->labelX[0] < margin ? margin : l->labelX[0];
    for (int i = 1; i < kTopListCount; ++i) {
        int earliest = l->labelX[i - 1] + labelWidths[i - 1] + labelGap;
        if (l->labelX[i] < earliest) l->labelX[i] = earliest;
    }
    int last = kTopListCount - 1;
    if (l->labelX[last] + labelWidths[last] > w - margin) l->labelX[last] = w - margin - labelWidths[last];
    for (int i = last - 1; i >= 0; --i) {
        int latest = l->labelX[i + 1] - labelGap - labelWidths[i];
        if (l->labelX[i] > latest) l->labelX[i] = latest;
    }
    l->labelY = Fraction(h, 0.015);
}

// Rows below the lists: label at the left, control at 0.35 W, buttons at
// the right; 0.11 H apart.
void LayoutLowerRows(int w, int h, SettingsLayout* l) {
    const double height = 0.1;
    const int controlHeight = Fraction(h, height);
    l->rowLabelX = Fraction(w, 0.006);
    for (int row = 0; row < kLowerRowCount; ++row) {
        double y = 0.225 + 0.11 * row;
        l->rowLabelY[row] = Fraction(h, y + (height - 0.08) / 2);
        if (row == kLowerRowCount - 1) {
            l->startWithWindows = FractionRect(w, h, 0.35, y, 0.535, height);
        } else if (row == 0) {
            l->folderList = Rect{Fraction(w, 0.35), Fraction(h, y), Fraction(w, 0.44), controlHeight + 6 * l->fontHeight};
            l->addButton = FractionRect(w, h, 0.80, y, 0.085, height);
            l->deleteButton = FractionRect(w, h, 0.895, y, 0.09, height);
        } else {
            l->edits[row - 1] = FractionRect(w, h, 0.35, y, 0.535, height);
            l->rowButtons[row - 1] = FractionRect(w, h, 0.895, y, 0.09, height);
        }
    }
}

// Title in the first row; the examples share rows so that everything fits
// below the edit (and the word buttons) at the editor's font.
const FormatExplanation kExplanations[4] = {
    {{"通話記録フォルダー名形式", 0.02, 0.005},
     {{"yyyy,mm,dd,xxを希望する記号や文字で連結してください", 0.02, 0.24},
      {"yyyy=年:mm=月:dd=日:xx=時を表す、半角小文字で入力", 0.02, 0.346},
      {"yyyymmddまで記載すると、日替わりでフォルダーが作成されます", 0.02, 0.452},
      {"yyyymmまで記載すると、月替わりでフォルダーが作成されます", 0.02, 0.558},
      {"記載例", 0.02, 0.664},
      {"１）yyyy年mm月dd日", 0.02, 0.77},
      {"２）yyyy-mm", 0.35, 0.77},
      {"３）mmyyyy", 0.60, 0.77}}},
    {{"通話記録ファイル名形式", 0.02, 0.005},
     {{"yyyy,mm,dd,xxを希望する記号や文字で連結してください", 0.02, 0.24},
      {"yyyy=年:mm=月:dd=日:xx=時:xx=分:xx=秒を表す、半角小文字で入力", 0.02, 0.346},
      {"yyyy,mm,dd,xxはファイル保存時にアプリが実際の数字に置き換えます", 0.02, 0.452},
      {"記載例", 0.02, 0.558},
      {"１）yyyy年mm月dd日xx時xx分xx秒", 0.02, 0.664},
      {"２）mmddxxxxyyyy", 0.50, 0.664},
      {"３）mm：yyyy　dd_xxxxxx", 0.02, 0.77},
      {"４）dd：xxxx(年月と秒が省略される例)", 0.50, 0.77}}},
    {{"ファイル名フォーマット着信", 0.02, 0.005},
     {{"４項目はボタンを押して入力すること", 0.535, 0.235},
      {"上記４項目を希望する記号や文字で連結してください（項目の順番入れ替え可能）", 0.02, 0.36},
      {"着信日付は保存時にアプリが「通話記録ファイル名形式」に従って書き込む", 0.02, 0.466},
      {"記載例", 0.02, 0.572},
      {"１）着信：着信日付：電話番号：電話帳", 0.02, 0.678},
      {"２）[着信]着信日付・電話番号", 0.52, 0.678},
      {"３）電話番号 - 着信日付 - 着信", 0.02, 0.784},
      {"４）着信　着信日付　電話帳", 0.52, 0.784}}},
    {{"ファイル名フォーマット発信", 0.02, 0.005},
     {{"４項目はボタンを押して入力すること", 0.535, 0.235},
      {"上記４項目を希望する記号や文字で連結してください（項目の順番入れ替え可能）", 0.02, 0.36},
      {"発信日付は保存時にアプリが「通話記録ファイル名形式」に従って書き込む", 0.02, 0.466},
      {"記載例", 0.02, 0.572},
      {"１）発信＿発信日付＿電話番号＿電話帳", 0.02, 0.678},
      {"２）(発信)電話番号　発信日付", 0.52, 0.678},
      {"３）発信日付[電話番号]発信", 0.02, 0.784},
      {"４）電話番号-発信日付-電話帳", 0.52, 0.784}}},
};

// Word buttons left of the note in their row; widths follow the words.
const double kWordButtonX[4] = {0.02, 0.12, 0.26, 0.40};
const double kWordButtonWidth[4] = {0.09, 0.13, 0.13, 0.11};

}  // namespace

SettingsLayout LayoutSettingsWindow(int width, int height, int listChrome) {
    SettingsLayout l{};
    l.fontHeight = Fraction(height, 0.08);
    l.fontWidth = Fraction(width, 0.013);
    LayoutTopRow(width, height, listChrome, &l);
    LayoutLowerRows(width, height, &l);
    return l;
}

const FormatExplanation& ExplanationOf(int k) {
    if (k < 1 || k > 4) k = 1;
    return kExplanations[k - 1];
}

FormatLayout LayoutFormatEditor(int width, int height) {
    FormatLayout l{};
    l.fontHeight = Fraction(height, 0.105);
    l.fontWidth = Fraction(width, 0.013);
    l.edit = FractionRect(width, height, 0.02, 0.114, 0.97, 0.105);
    for (int i = 0; i < 4; ++i) {
        l.buttons[i] = FractionRect(width, height, kWordButtonX[i], 0.235, kWordButtonWidth[i], 0.105);
    }
    return l;
}

}  // namespace suite
