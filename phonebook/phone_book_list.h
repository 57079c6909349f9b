// The phone book list "電話帳リスト": every number of the phone book with
// its name as rows that the user sorts, edits in place, adds to, deletes
// and searches. The rows are a copy of the store's index taken when the
// list opens; every change goes to the store at once. All of it runs on
// the user-interface thread; the window sits behind PhoneBookListView.
//
// The window procedure turns clicks into calls here (Click, SortBy,
// BeginEdit/EndEdit, RequestXxx); the recorder's tick runs Tick(), and a
// long delete continues through ContinueDelete() between messages.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/layout.h"
#include "common/settings_file.h"
#include "common/settings_record.h"
#include "phonebook/info_board.h"
#include "phonebook/phone_book.h"

namespace suite {

extern const char kDeletedRowText[];     // "削除済み"
extern const char kListHelpText[];       // the "？" help
extern const char kListHelpCaption[];    // "説明"
extern const char kPosSizeFilePath[];    // "マニュアル 兼 作業フォルダー\PosSize.ini"

constexpr int kMinListCharSize = 5, kMaxListCharSize = 14, kDefaultListCharSize = 7;
constexpr size_t kDeleteChunk = 100;  // deletions between two served messages

struct ListRow {
    std::string number;  // at most 14 bytes; kDeletedRowText once deleted here
    std::string name;    // at most 201 bytes
    uint32_t entry = 0;  // index entry the row stands for
    bool hasEntry = false;  // false for the new row of an add and for deleted rows
    uint32_t id = 0;        // the row's own while the list is open; sorts move rows, not ids
};

// ---- Geometry (client coordinates, F = character size) ----

struct ListLayout {
    Rect search, searchButton, add, info, remove, sizeBox, folder, browse, list;
};
ListLayout LayoutList(int clientWidth, int clientHeight, int charSize);
// Column widths after a size change: 16F and 202F.
inline int NumberColumnWidth(int charSize) { return 16 * charSize; }
inline int NameColumnWidth(int charSize) { return 202 * charSize; }
// Where the red "？" and "電話帳保存場所" are painted, and the "？" hit test.
inline int HelpMarkX(int charSize) { return 454 * charSize / 10; }
inline int FolderLabelX(int charSize) { return 474 * charSize / 10; }
bool OnHelpMark(int x, int y, int charSize);

// ---- Stored window place and sizes ----

struct ListRect {
    int x, y, height, width;  // PosSize.ini's order
};
// The list window's place from PosSize.ini's bytes; defaults (centred,
// 520 x 200) for a file that is empty, short, or whose rectangle is too
// small or lies off the work area. usedDefaults tells which.
ListRect ListRectFromFile(const std::vector<uint8_t>& bytes, const WorkArea& area, bool* usedDefaults);
std::vector<uint8_t> ListRectBytes(const ListRect& rect);
// phone_book_font as F (7 when outside 5..14).
int UsableListCharSize(int stored);
// list_board_size as width and height; 520 x 200 when below a usable size.
void UsableListBoardSize(const SettingsRecord& settings, int* width, int* height);
// The first opening's settings: list board 520 x 200, fonts 8 and 7.
void SetListDefaults(SettingsRecord* settings);
// At close: phone_book_font = F, then bytes 37..40 and 94..95 of the file.
bool StoreListSettings(SettingsRecord* settings, int charSize, const std::string& settingsPath);

// ---- Search in Shift-JIS text ----

// Byte offset of the first occurrence of key in text at or after from that
// begins at a character start; npos when none or key is empty.
size_t FindAtCharStart(const std::string& text, const std::string& key, size_t from);
// Characters (as a wide edit control counts them) in the first bytes of text.
size_t SjisCharCount(const std::string& text, size_t bytes);

// ---- The window side ----

class PhoneBookListView {
public:
    virtual ~PhoneBookListView() = default;
    // The list view gets count items without repainting all of them.
    virtual void SetRowCount(size_t count) = 0;
    virtual void ShowRow(size_t row) = 0;
    // Selects and focuses only row; edit opens the number's in-place edit.
    virtual void SelectRow(size_t row, bool edit) = 0;
    // Rows selected in the list view, ascending.
    virtual std::vector<size_t> SelectedRows() = 0;
    virtual void Redraw() = 0;
    // Draws a count over the list; final keeps it 2 s (by timer, no wait).
    // deleting selects the delete's colours.
    virtual void ShowCount(const std::string& text, bool deleting, bool final) = 0;
    virtual void SetSearchButton(bool next) = 0;
    virtual void Tell(const std::string& text, const std::string& caption) = 0;
};

class PhoneBookList {
public:
    PhoneBookList(PhoneBook& book, PhoneBookListView& view);

    // Fills the rows from the store, sorted by number ascending; the next
    // column click sorts descending.
    void Fill();

    size_t RowCount() const { return rows_.size(); }
    const ListRow& Row(size_t row) const { return rows_[row]; }
    // Text of a cell for the list view; column 0 the number, 1 the name.
    const std::string& CellText(size_t row, int column) const;
    size_t CurrentRow() const { return currentRow_; }

    // ---- From the window procedure ----
    void Click(size_t row, bool nameColumn);
    // The focus moved to row (keys, or a selection made by the program).
    void FocusMoved(size_t row) {
        if (addState_ == 0 && row < rows_.size()) currentRow_ = row;
    }
    // Column click. Ignored while an add, a delete or an in-place edit is under way.
    void SortBy(int column);
    // Start of an in-place edit of row: the text to edit, or nothing when
    // the row may not be edited (the edit is then refused). The edit keeps
    // the row and the column it starts on, whatever is clicked or sorted
    // before the tick handles it.
    std::optional<std::string> BeginEdit(size_t row);
    // End of the in-place edit; cancelled when the user pressed Esc.
    void EndEdit(size_t row, const FieldText& text, bool cancelled);
    // "追加"; pressed while the add's own edit is open or waiting, a second
    // add follows once that edit is handled.
    void RequestAdd();
    void RequestDelete() { deleteRequest_ = true; }
    // "検索"/"次へ" with the search field's text; SearchTextChanged resets.
    void RequestSearch(const std::string& key);
    void SearchTextChanged();

    // ---- From the tick ----
    // The list's share of a tick: edit handling, search step, add, delete
    // start. True when a delete is under way (continue it with
    // ContinueDelete between messages).
    bool Tick();
    // One chunk of a delete; true while rows remain.
    bool ContinueDelete();
    bool Deleting() const { return deleting_; }
    // Selects the current row again (after the list board closed).
    void Reselect() {
        if (currentRow_ < rows_.size()) view_.SelectRow(currentRow_, false);
    }
    bool Adding() const { return addState_ != 0; }

private:
    // An in-place edit: its row by id, its column, whether it is an add's.
    struct Edit {
        uint32_t rowId = 0;
        bool nameColumn = false;
        bool adding = false;
        FieldText text;
        bool cancelled = false;
    };
    Edit EditOf(size_t row) const;
    size_t RowWithId(uint32_t id) const;
    bool RowHolds(size_t row) const;
    void Reread(size_t row);
    bool RowStillValid(size_t row);
    bool IsDuplicate(const std::string& number, size_t row) const;
    void HandleEdit(const Edit& edit);
    void StartAdd();
    void SearchStep();
    void FinishDelete();

    PhoneBook& book_;
    PhoneBookListView& view_;
    std::vector<ListRow> rows_;
    size_t currentRow_ = 0;
    bool nameColumnEdit_ = false;
    bool sortDescending_ = false;

    uint32_t nextRowId_ = 1;

    // 0 none, 1 requested, 2 new row with its edit (to open or open),
    // 3 that edit ended, waiting for the tick
    int addState_ = 0;
    bool addAfterEdit_ = false;        // "追加" again during the add's edit
    std::optional<Edit> openEdit_;     // from BeginEdit to EndEdit
    std::vector<Edit> endedEdits_;     // in the order they ended, for the tick

    int searchState_ = 0;  // 0 off, 1 step requested, 2 step done
    std::string searchText_;
    size_t searchPosition_ = 0;

    bool deleteRequest_ = false;
    bool deleting_ = false;
    std::vector<size_t> toDelete_;  // selected rows, the last first
    size_t deleteNext_ = 0;
    size_t deletedCount_ = 0;
    size_t staleCount_ = 0;
    size_t deleteCurrentRow_ = 0;
};

}  // namespace suite
