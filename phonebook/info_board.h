// The call board "情報ボード": the name and information of the current call's
// number, edited and stored or removed through the phone book. Everything
// here runs on the user-interface thread: the main loop's tick drives the
// board (Upkeep, the number hand-over, ProcessRequests) and the board's
// window procedure only turns clicks into requests. The window itself sits
// behind InfoBoardView, so the decisions are platform free.
//
// In the program: InfoBoardWindow window(...); InfoBoard board(settings,
// book, window); window.Attach(&board). Tick step 1: board.Upkeep(); step 2,
// when the hand-over decided on a board: board.OpenFor(number) (or let
// board.HandOver decide); step 3: board.ProcessRequests(). The main window's
// click asks for a board only while !board.IsOpen().
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/layout.h"
#include "phonebook/phone_book.h"
#include "common/settings_record.h"

namespace suite {

// info_board_mode values.
enum InfoBoardModeValue : uint8_t {
    kBoardAlways = 0,    // "無条件で表示"
    kBoardWithName = 1,  // "電話帳有りで表示"
    kBoardNever = 2,     // "ボード不要"
};

// NumberReady values the board distinguishes.
constexpr int kNumberDecoded = 1;
constexpr int kNumberClicked = 2;

// Control ids of the board.
constexpr int kBoardSaveId = 8;         // "保存終了"
constexpr int kBoardUnregisterId = 2;   // "登録不要"
constexpr int kBoardInformationId = 201;
constexpr int kBoardNameId = 202;
constexpr int kBoardFirstSizeId = 203;  // radio buttons 203..207: sizes 6, 7, 8, 10, 12
constexpr int kBoardSizeCount = 5;

constexpr int kDefaultBoardCharSize = 8;
constexpr size_t kBoardNameLimit = kNameFieldSize - 1;       // 201 bytes
constexpr size_t kBoardInformationLimit = kMaxInformationLength;  // 10000 bytes

extern const char kNoNumberText[];           // "電話番号が取得不能か又は非通知です"
extern const char kDuplicateBoardText[];     // shown while both boards show one number
extern const char kDuplicateBoardCaption[];  // "重複開帳"
extern const char kBoardSaveCaption[];       // "保存終了", caption of the refusals below

// ---- Character sizes ----

// The size a radio button id stands for; 0 for any other id.
int CharSizeForId(int id);
// The radio button of a size; 0 for a size the board does not offer.
int IdForCharSize(int size);
// A stored info_board_font as a size the board offers (8 when it is not one).
int UsableCharSize(int stored);

// ---- Geometry (client coordinates) ----

struct BoardLayout {
    Rect save, unregister;
    Rect sizeButtons[kBoardSizeCount];
    Rect name, information;
};
// Every control of a board with a client of width x height and character size.
BoardLayout LayoutBoard(int width, int height, int charSize);
// The name field alone, re-laid out when the character size changes.
Rect NameFieldRect(int clientWidth, int charSize);
// Edit font of a character size: height 2 x size, width size.
inline int BoardFontHeight(int charSize) { return 2 * charSize; }

constexpr int kCounterX = 320, kCounterY = 8;
constexpr int kSizeLabelX = 144, kSizeLabelY = 6;    // "文字サイズ"
constexpr int kNameLabelX = 4, kNameLabelY = 32;      // "電話帳"

// ---- Texts ----

// "情報ボード（ " + number + " ）".
std::string BoardTitle(const std::string& number);
// Bytes of the information, then "/10000".
std::string CounterText(size_t informationBytes);

// ---- Number rules ----

bool IsWithheld(const std::string& number);
// False when the first byte, as a signed byte, has a magnitude below '0'
// (empty texts included): such a number is neither looked up nor boarded.
bool WorthLookingUp(const std::string& number);
// The number as the phone book and the board use it: its first 14 bytes.
std::string BoardKey(const std::string& number);
// True when the board may edit the number: it starts with an ASCII digit.
bool IsEditableNumber(const std::string& number);
// Whether a handed-over number opens a board (no board open, not withheld).
bool ShouldOpenBoard(int mode, int numberReady, bool nameEmpty);

// ---- The duplicate check shared with the list board ----

// Counts ticks; every tenth one reports whether the call board and the list
// board show the same number (the caller then shows kDuplicateBoardText).
class DuplicateBoardWatch {
public:
    void Reset() { countdown_ = kPeriod; }
    bool Tick(bool callBoardOpen, const std::string& callNumber, bool listBoardOpen,
              const std::string& listNumber);

private:
    static constexpr int kPeriod = 10;
    int countdown_ = kPeriod;
};

// ---- The window side ----

// Text of an edit field in Shift-JIS; exact is false when some character
// has no Shift-JIS form (the text then holds a substitute).
struct FieldText {
    std::string text;
    bool exact = true;
};

// Why a name and information cannot be stored as typed (a character
// without a Shift-JIS form, a name over 201 or information over 10000
// bytes); empty when they can. Shown with caption kBoardSaveCaption.
std::string BoardTextRefusal(const FieldText& name, const FieldText& information);
// Takes a board's name and information; false, after telling the user why
// through the view, when they cannot be stored as typed.
template <class View>
bool TakeBoardTexts(View& view, FieldText* name, FieldText* information) {
    *name = view.Name();
    *information = view.Information();
    std::string refusal = BoardTextRefusal(*name, *information);
    if (refusal.empty()) return true;
    view.Tell(refusal, kBoardSaveCaption);
    return false;
}

// Position and size of the board on the screen.
struct BoardRect {
    int x, y, width, height;
};

// info_board_rect as a place on the screen. Positions are read back as
// signed 16-bit values so a board left of or above the primary screen comes
// back where it was; an empty size (an all-zero record) gives the default
// place and size in the work area.
BoardRect StoredBoardRect(const SettingsRecord& settings, const WorkArea& area);
// Keeps a board rectangle in info_board_rect.
void StoreBoardRect(SettingsRecord* settings, const BoardRect& rect);

class InfoBoardView {
public:
    virtual ~InfoBoardView() = default;
    // Creates and shows the board at rect with its title and field texts;
    // editable false disables "保存終了". False when no window was made.
    virtual bool Create(const BoardRect& rect, const std::string& title, const std::string& name,
                        const std::string& information, bool editable) = 0;
    // The board's window rectangle, taken before Destroy.
    virtual BoardRect WindowRect() = 0;
    virtual void Destroy() = 0;
    virtual FieldText Name() = 0;
    virtual FieldText Information() = 0;
    // Draws the counter text at (kCounterX, kCounterY).
    virtual void DrawCounter(const std::string& text) = 0;
    // Checks the size's radio button, re-lays out the name field and gives
    // both fields the edit font of that size, keeping their texts.
    virtual void ApplyCharSize(int charSize) = 0;
    // A topmost warning to the user.
    virtual void Tell(const std::string& text, const std::string& caption) = 0;
    // The desktop work area, for a board rectangle that was never stored.
    virtual WorkArea DesktopWorkArea() = 0;
};

// What the hand-over learnt from the phone book.
struct NumberLookup {
    bool lookedUp = false;  // false: withheld or not a number; nothing to show from the book
    std::string name;       // the phone book's name; empty when not found
};

class InfoBoard {
public:
    // The settings record holds info_board_mode, info_board_rect and
    // info_board_font; the board writes the last two when it closes.
    InfoBoard(SettingsRecord& settings, PhoneBook& book, InfoBoardView& view);
    InfoBoard(const InfoBoard&) = delete;
    InfoBoard& operator=(const InfoBoard&) = delete;

    // Tick step 1: counter and character size of an open board.
    void Upkeep();

    // Tick step 2, the board's share of the number hand-over. LookUp reads
    // the number's record (withheld and non-numbers are skipped); Offer then
    // opens the board by info_board_mode, unless one is open or the number
    // is withheld. HandOver does both; the caller clears NumberReady.
    NumberLookup LookUp(const std::string& confirmedNumber, int numberReady);
    void Offer(const std::string& confirmedNumber, int numberReady);
    NumberLookup HandOver(const std::string& confirmedNumber, int numberReady);
    // Opens the board for number (cut to 14 bytes) with its phone book
    // record, whatever the mode says, when no board is open. Withheld and
    // non-numbers open nothing.
    void OpenFor(const std::string& number);

    // Tick step 3: "登録不要" then "保存終了".
    void ProcessRequests();

    // Closes an open board without saving, keeping its rectangle and size
    // (program exit).
    void Close();

    bool IsOpen() const { return open_; }
    // The number the board was opened for; emptied by a save or deletion.
    const std::string& BoardNumber() const { return boardNumber_; }
    const InfoRecord& BoardRecord() const { return record_; }

    // From the window procedure.
    void RequestSave() { saveRequest_ = true; }
    void RequestUnregister() { unregisterRequest_ = true; }
    void ChooseCharSize(int size);
    int CharSize() const { return charSize_; }

private:
    void Open();
    bool Save();
    void Unregister();

    SettingsRecord& settings_;
    PhoneBook& book_;
    InfoBoardView& view_;
    bool open_ = false;
    std::string boardNumber_;
    InfoRecord record_;
    int charSize_ = kDefaultBoardCharSize;  // S, chosen by the radio buttons
    int appliedCharSize_ = 0;               // 0: none applied yet
    bool saveRequest_ = false;
    bool unregisterRequest_ = false;
    bool saveRefused_ = false;  // the store refused a save since the board opened
};

}  // namespace suite
