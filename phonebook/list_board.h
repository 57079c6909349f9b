// The list board: the information board the phone book list opens with
// "情報" for the number of its current row. It shows the name read-only
// (names are edited in the list), edits the information, searches inside
// it, and stores it ("保存終了") or empties it ("情報不要"). Runs on the
// user-interface thread; the window sits behind ListBoardView.
#pragma once
#include <cstddef>
#include <string>

#include "common/settings_record.h"
#include "phonebook/info_board.h"
#include "phonebook/phone_book.h"

namespace suite {

// Control ids of the list board.
constexpr int kListBoardSearchId = 400;
constexpr int kListBoardNameId = 401;
constexpr int kListBoardInformationId = 402;
constexpr int kListBoardSearchButtonId = 403;
constexpr int kListBoardSaveId = 404;
constexpr int kListBoardClearId = 405;

constexpr size_t kSearchKeyLimit = 255;  // bytes of the search key

extern const char kUnsavedBoardText[];     // asked when the list closes over typed text
extern const char kUnsavedBoardCaption[];  // "情報ボード"

// Client rectangles of the list board at character size F.
struct ListBoardLayout {
    Rect save, clear, searchButton, search, name, information;
};
ListBoardLayout LayoutListBoard(int width, int height, int charSize);

class ListBoardView {
public:
    virtual ~ListBoardView() = default;
    // Creates and shows the board at rect (owned by the list window), focus
    // on the information. False when no window was made.
    virtual bool Create(const BoardRect& rect, const std::string& title, const std::string& name,
                        const std::string& information) = 0;
    virtual BoardRect WindowRect() = 0;
    virtual void Destroy() = 0;
    virtual FieldText Name() = 0;
    virtual FieldText Information() = 0;
    virtual FieldText SearchKey() = 0;
    virtual void DrawCounter(const std::string& text) = 0;
    virtual void SetSearchButton(bool next) = 0;
    // Selects characters [start, start + length) of the information field
    // and scrolls them into view.
    virtual void ShowHit(size_t start, size_t length) = 0;
    // Topmost message box with a warning icon; Notify without an icon; Ask
    // with はい/いいえ (true for はい).
    virtual void Tell(const std::string& text, const std::string& caption) = 0;
    virtual void Notify(const std::string& text, const std::string& caption) = 0;
    virtual bool Ask(const std::string& text, const std::string& caption) = 0;
};

class ListBoard {
public:
    // settings holds list_board_size, which a save updates.
    ListBoard(SettingsRecord& settings, PhoneBook& book, ListBoardView& view);

    // The list window was created: no board, duplicate countdown from 10.
    void Reset();
    bool IsOpen() const { return open_; }
    const std::string& Number() const { return number_; }

    // "情報" for number (the current row's column 0): opens the board at
    // the list window's top-left corner when the number is in the phone
    // book and no board is open.
    void OpenFor(const std::string& number, int x, int y);

    // From the window procedure.
    void RequestSave() { saveRequest_ = true; }
    void RequestClear() { clearRequest_ = true; }
    void RequestSearch() { searchState_ = searchState_ == 0 ? 1 : searchState_ + 1; }
    void SearchKeyChanged() { keyChanged_ = true; }

    // List tick step 2: every tenth tick, warns while the call board shows
    // the same number.
    void CheckDuplicate(bool callBoardOpen, const std::string& callNumber);
    // List tick step 13: counter, search, "情報不要", "保存終了". True when
    // the board closed (the list then selects its row again).
    bool Tick();
    // The list window closes: typed text is saved or dropped as the user
    // answers. False when the save failed and the list should stay open.
    bool CloseWithList();
    // Program exit: closes without saving, as the call board does.
    void Close();

private:
    bool Save();
    void SearchStep();

    SettingsRecord& settings_;
    PhoneBook& book_;
    ListBoardView& view_;
    DuplicateBoardWatch watch_;
    bool open_ = false;
    std::string number_;  // ListBoardNumber, at most 14 bytes
    InfoRecord record_;   // as read when the board opened
    bool saveRequest_ = false, clearRequest_ = false;

    int searchState_ = 0, lastStepState_ = 0;
    bool keyChanged_ = false;
    std::string searchCopy_;  // the information when the search started
    size_t nextPosition_ = 0;
};

}  // namespace suite
