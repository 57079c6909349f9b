// The call board's window "情報ボード" on Win32: the class the main loop
// registers, its window procedure, and the InfoBoardView the board's logic
// (info_board.h) drives from the tick.
#pragma once
#include <windows.h>

#include <string>

#include "common/window_win32.h"
#include "phonebook/info_board.h"
#include "phonebook/phone_book_messages.h"

namespace suite {

extern const char16_t kInfoBoardClassName[];  // u"情報ボード"
constexpr int kInfoBoardWindowExtra = 30;
constexpr COLORREF kInfoBoardBackground = RGB(220, 220, 220);

// ---- Win32 pieces the phone book's windows share ----

// A visible child control with a Shift-JIS text.
HWND MakeControl(HWND parent, const char16_t* className, const char* text, DWORD style, int id, HINSTANCE instance);
void Place(HWND control, const Rect& r);
void TextAt(HDC dc, int x, int y, const char* sjis);
// A board's window class: redraw styles, extraBytes, arrow cursor, a brush
// of the background colour made for it, no icon.
SuiteWindowClass BoardWindowClass(const char16_t* name, WNDPROC proc, int extraBytes, COLORREF background);
// The information counter at (x, y), red on the background, in a fixed
// cell so a shorter count leaves no digits of a longer one.
void DrawCounterText(HWND window, HFONT font, int x, int y, COLORREF background, const std::string& text);

// Window procedure of the class "情報ボード": lays out the controls, paints
// the two labels and turns clicks into requests of the InfoBoard.
LRESULT CALLBACK InfoBoardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers "情報ボード" (redraw styles, 30 extra bytes, arrow cursor,
// background RGB(220,220,220), no icon). False when registration failed.
bool RegisterInfoBoardClass(HINSTANCE instance);

// The board's window. Usage: InfoBoardWindow window(...); InfoBoard
// board(settings, book, window); window.Attach(&board).
class InfoBoardWindow : public InfoBoardView {
public:
    // owner: the main window; smallFont: the recorder's 14 x 7 font (the
    // window makes its own when it is null). Neither is taken over.
    InfoBoardWindow(HINSTANCE instance, HWND owner, HFONT smallFont);
    ~InfoBoardWindow() override;
    InfoBoardWindow(const InfoBoardWindow&) = delete;
    InfoBoardWindow& operator=(const InfoBoardWindow&) = delete;

    void Attach(InfoBoard* board) { board_ = board; }
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND hwnd() const { return hwnd_; }

    bool Create(const BoardRect& rect, const std::string& title, const std::string& name,
                const std::string& information, bool editable) override;
    BoardRect WindowRect() override;
    void Destroy() override;
    FieldText Name() override;
    FieldText Information() override;
    void DrawCounter(const std::string& text) override;
    void ApplyCharSize(int charSize) override;
    void Tell(const std::string& text, const std::string& caption) override;
    WorkArea DesktopWorkArea() override;

private:
    friend LRESULT CALLBACK InfoBoardWindowProc(HWND, UINT, WPARAM, LPARAM);
    void OnCreate(HWND hwnd);
    void OnSize(int width, int height);
    void OnPaint();
    void OnCommand(int id);
    void OnDestroy();
    HFONT SmallFont() const { return smallFont_ ? smallFont_ : ownSmallFont_; }

    HINSTANCE instance_;
    HWND owner_;
    HFONT smallFont_;
    HFONT ownSmallFont_ = nullptr;
    HFONT editFont_ = nullptr;  // the board font of the applied size
    InfoBoard* board_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND name_ = nullptr, information_ = nullptr;
    int clientWidth_ = 0;     // BoardClientWidth, from the last normal resize
    BoardRect lastRect_{};    // window rectangle when the window went away
};

// The phone book's messages as topmost message boxes.
class MessageBoxPhoneBookMessages : public PhoneBookMessages {
public:
    void NoSpace() override;
    void AppendWarning(int remaining) override;
    void CannotOpen(const std::string& path) override;
    void CannotWrite(const std::string& path) override;
    void InUse(const std::string& path) override;
};

}  // namespace suite
