// The list of recordings of one folder: which names are taken, the four
// sort orders, the row chosen after a rebuild, the current recording and the
// detail line texts. Free of the platform; the folder comes through the
// file layer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_layer.h"

namespace suite {

extern const char kNoRecordingsText[];  // "音声ファイルが存在しない"

// Longest row text a list slot holds, in bytes.
constexpr size_t kMaxRowBytes = 519;

// The sort order in force: browser_sort 1..4, anything else 0 (which sorts
// by name descending and has no label).
int EffectiveSort(uint8_t browserSort);
// The value after a press of "順番": 1 → 2 → 3 → 4 → 1, anything else → 1.
uint8_t NextSort(uint8_t browserSort);
// The label painted for an order, empty for 0.
const char* SortLabel(uint8_t browserSort);
// The label of the initial row choice: "先頭行" for 0, else "最終行".
const char* InitialRowLabel(uint8_t browserFlags);

// A row text split at its last "." into name and extension (with the ".");
// no "." leaves the extension empty.
struct NameParts {
    std::string name;
    std::string ext;
};
NameParts SplitName(const std::string& row);

// True for a folder entry the list takes: not "." nor "..", a "." inside,
// not the recorder's temporary recording (in any case of its letters).
bool IsListedName(const std::string& name);
// "yyyymmddhhmm" of a local time.
std::string TimeKey(const FileTime& t);
// Equal but for the case of single-byte ASCII letters (a trail byte of a
// two-byte character is never folded).
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

// Row texts of the taken items in the order's sequence; *longest receives
// the greatest entry length (time key included in orders 3 and 4).
std::vector<std::string> SortedRows(const std::vector<FolderItem>& items, int sort, size_t* longest);

// Row chosen among rows by a select request: negative selects preferred
// (row 0 when absent, the initial row when preferred is empty), 0 the
// initial row, n ≥ 1 row n − 1 clamped to the last. -1 for an empty list.
int ChooseRow(const std::vector<std::string>& rows, int request, uint8_t browserFlags,
              const std::string& preferred);

// Pixel width of a drop-down part for its longest entry and the client width.
int DropDownWidth(size_t longest, int clientWidth);

// "作成時間hh:mm"; "作成時間--:--" when the time could not be read.
std::string CreationText(const FileTime* t);
// "録音時間hh:mm:ss" of a length in whole seconds; "録音時間--:--:--" for
// kUnknownLength.
std::string LengthText(uint32_t seconds);

// The list as the browser holds it, with the current recording.
class RecordingList {
public:
    // Folder as a prefix ending in "\"; relative to the working folder.
    void SetFolder(const std::string& folder) { folder_ = folder; }
    const std::string& folder() const { return folder_; }

    // Rescans the folder, sorts and selects by request. The name box text
    // is set (kNoRecordingsText for an empty or unreadable folder).
    void Rebuild(uint8_t browserSort, uint8_t browserFlags, const std::string& preferred, int request);
    // Selects the first or last row without rescanning; the name box shows
    // the row's name without its extension. Nothing happens on an empty list.
    void SelectInitial(uint8_t browserFlags);
    // Makes row r the current recording; the name box shows its name.
    void Select(int row);

    const std::vector<std::string>& rows() const { return rows_; }
    int selected() const { return selected_; }
    size_t longest() const { return longest_; }
    const std::string& currentName() const { return current_.name; }
    const std::string& currentExt() const { return current_.ext; }
    // Path of the current recording; empty when none.
    std::string CurrentPath() const;
    // Path of the row r.
    std::string RowPath(int row) const { return folder_ + rows_[static_cast<size_t>(row)]; }

    // Text for the name box, when it is to change; cleared by the taking.
    bool TakeNameBox(std::string* text);
    // Raised when the current recording changed; cleared by the taking.
    bool TakeSelectionChanged();

private:
    void SetNameBox(const std::string& text);

    std::string folder_;
    std::vector<std::string> rows_;
    int selected_ = -1;
    size_t longest_ = 0;
    NameParts current_;
    std::string nameBox_;
    bool nameBoxSet_ = false;
    bool selectionChanged_ = false;
};

}  // namespace suite
