// The phone book list window "電話帳リスト" on Win32, with its list board.
// The recorder's tick opens it (Open) when "電話帳" was pressed and runs
// Tick while it is open; the window procedure turns the user's clicks into
// calls of the list's logic (phone_book_list.h).
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "common/settings_record.h"
#include "common/win32_text.h"
#include "phonebook/info_board.h"
#include "phonebook/list_board.h"
#include "phonebook/list_board_window.h"
#include "phonebook/phone_book.h"
#include "phonebook/phone_book_list.h"

namespace suite {

extern const char16_t kPhoneBookListClassName[];  // u"電話帳リスト"

// Control ids of the list window.
constexpr int kListSearchId = 301, kListSizeBoxId = 302, kListSearchButtonId = 303, kListAddId = 304,
              kListInfoId = 305, kListDeleteId = 306, kListBrowseId = 308, kListFolderId = 2007,
              kListViewId = 400;

// Registers "電話帳リスト" and "情報ボードt". False when one failed.
bool RegisterPhoneBookListClasses(HINSTANCE instance);

class PhoneBookListWindow : public PhoneBookListView {
public:
    // folder: the working copy of the phone book folder, which the folder
    // choice changes; callBoard: for the duplicate board check.
    PhoneBookListWindow(HINSTANCE instance, SettingsRecord& settings, PhoneBook& book, std::string& folder,
                        const InfoBoard& callBoard);
    ~PhoneBookListWindow() override;
    PhoneBookListWindow(const PhoneBookListWindow&) = delete;
    PhoneBookListWindow& operator=(const PhoneBookListWindow&) = delete;

    bool IsOpen() const { return hwnd_ != nullptr; }
    // Creates the window at its stored place and fills the rows.
    void Open();
    // The list tick, once per recorder tick while the window is open.
    void Tick();
    // Program exit: the list board goes without saving; place and sizes
    // are kept.
    void CloseAtExit();

    // PhoneBookListView.
    void SetRowCount(size_t count) override;
    void ShowRow(size_t row) override;
    void SelectRow(size_t row, bool edit) override;
    std::vector<size_t> SelectedRows() override;
    void Redraw() override;
    void ShowCount(const std::string& text, bool deleting, bool final) override;
    void SetSearchButton(bool next) override;
    void Tell(const std::string& text, const std::string& caption) override;

private:
    friend LRESULT CALLBACK PhoneBookListWindowProc(HWND, UINT, WPARAM, LPARAM);
    void OnCreate(HWND hwnd);
    void OnSize(int width, int height);
    void OnPaint();
    void OnLeftButton(int x, int y);
    void OnCommand(int id, int notification);
    LRESULT OnNotify(NMHDR* header);
    void OnClose();
    void OnTimer(UINT_PTR id);
    void ApplyCharSize();
    void ChooseFolder();
    void StorePlace();
    void DrawCount(const std::string& text, bool deleting);

    HINSTANCE instance_;
    SettingsRecord& settings_;
    PhoneBook& book_;
    std::string& folder_;
    const InfoBoard& callBoard_;
    std::unique_ptr<PhoneBookList> list_;  // made afresh at each opening
    ListBoardWindow boardWindow_;
    ListBoard board_;

    HWND hwnd_ = nullptr;
    HWND listView_ = nullptr;
    GdiObject<HFONT> font_;   // ListFont
    int charSize_ = 7;        // F
    int appliedCharSize_ = 0; // 0: none
    bool helpRequest_ = false, folderRequest_ = false, infoRequest_ = false;
    std::string openingCount_;  // the fill's count, drawn once the window shows
};

}  // namespace suite
