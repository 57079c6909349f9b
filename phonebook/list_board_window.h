// The list board's window "情報ボードt" on Win32: its class, window procedure
// and the ListBoardView the list board's logic (list_board.h) drives.
#pragma once
#include <windows.h>

#include <string>

#include "phonebook/list_board.h"

namespace suite {

extern const char16_t kListBoardClassName[];  // u"情報ボードt"

// Registers "情報ボードt" (redraw styles, 30 extra bytes, arrow cursor,
// background RGB(220,220,220), no icon). False when registration failed.
bool RegisterListBoardClass(HINSTANCE instance);

class ListBoardWindow : public ListBoardView {
public:
    explicit ListBoardWindow(HINSTANCE instance) : instance_(instance) {}
    ~ListBoardWindow() override;
    ListBoardWindow(const ListBoardWindow&) = delete;
    ListBoardWindow& operator=(const ListBoardWindow&) = delete;

    // owner: the list window; font: the list's font of size charSize (not
    // taken over; set again with SetFont when it changes).
    void Attach(ListBoard* board, HWND owner) {
        board_ = board;
        owner_ = owner;
    }
    void SetFont(HFONT font, int charSize);
    HWND hwnd() const { return hwnd_; }

    bool Create(const BoardRect& rect, const std::string& title, const std::string& name,
                const std::string& information) override;
    BoardRect WindowRect() override;
    void Destroy() override;
    FieldText Name() override;
    FieldText Information() override;
    FieldText SearchKey() override;
    void DrawCounter(const std::string& text) override;
    void SetSearchButton(bool next) override;
    void ShowHit(size_t start, size_t length) override;
    void Tell(const std::string& text, const std::string& caption) override;
    void Notify(const std::string& text, const std::string& caption) override;
    bool Ask(const std::string& text, const std::string& caption) override;

private:
    friend LRESULT CALLBACK ListBoardWindowProc(HWND, UINT, WPARAM, LPARAM);
    void OnCreate(HWND hwnd);
    void OnSize(int width, int height);
    void OnPaint();
    void OnCommand(int id, int notification);

    HINSTANCE instance_;
    HWND owner_ = nullptr;
    ListBoard* board_ = nullptr;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    int charSize_ = 7;  // F
};

}  // namespace suite
