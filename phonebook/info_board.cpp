#include "phonebook/info_board.h"

#include <algorithm>

#include "common/sjis_text.h"

namespace suite {

const char kNoNumberText[] = "電話番号が取得不能か又は非通知です";
const char kDuplicateBoardText[] =
    "同じ電話番号の情報ボードが重複して開いています\n後から閉じたボードの内容が有効になります\n"
    "どちらか不要のボードを閉じてください。";
const char kDuplicateBoardCaption[] = "重複開帳";
const char kBoardSaveCaption[] = "保存終了";

namespace {

const int kCharSizes[kBoardSizeCount] = {6, 7, 8, 10, 12};
const char kWithheld[] = "非通知";

const char kUnsavableCharText[] =
    "Shift-JIS で表せない文字が含まれているため保存できません。\n"
    "該当する文字を削除するか、別の文字に置き換えてください。";
const char kNotSavedText[] =
    "入力した内容は保存されていません。\n"
    "必要な内容を控えてから、もう一度「保存終了」を押してください。\n"
    "それでも保存できないときは、保存せずにボードを閉じます。";

// Default place of a board whose rectangle was never stored.
constexpr int kDefaultWidth = 470, kDefaultHeight = 200;

int ClampInt16(int v) { return std::clamp(v, -32768, 32767); }

}  // namespace

// ---- Character sizes ----

int CharSizeForId(int id) {
    int k = id - kBoardFirstSizeId;
    return k >= 0 && k < kBoardSizeCount ? kCharSizes[k] : 0;
}

int IdForCharSize(int size) {
    for (int k = 0; k < kBoardSizeCount; ++k) {
        if (kCharSizes[k] == size) return kBoardFirstSizeId + k;
    }
    return 0;
}

int UsableCharSize(int stored) { return IdForCharSize(stored) ? stored : kDefaultBoardCharSize; }

// ---- Geometry ----

Rect NameFieldRect(int clientWidth, int charSize) {
    // 2.6 x S in integers: the product of the decimal 2.6 and 10 is not 26
    // in floating point.
    return Rect{50, 30, std::max(0, clientWidth - 56), 26 * charSize / 10};
}

BoardLayout LayoutBoard(int width, int height, int charSize) {
    BoardLayout layout{};
    layout.save = Rect{6, 3, 60, 20};
    layout.unregister = Rect{70, 3, 60, 20};
    for (int k = 0; k < kBoardSizeCount; ++k) layout.sizeButtons[k] = Rect{220 + 16 * k, 8, 16, 16};
    layout.name = NameFieldRect(width, charSize);
    layout.information = Rect{6, 62, std::max(0, width - 12), std::max(0, height - 66)};
    return layout;
}

// ---- Texts ----

std::string BoardTitle(const std::string& number) { return "情報ボード（ " + number + " ）"; }

std::string CounterText(size_t informationBytes) { return std::to_string(informationBytes) + "/10000"; }

// ---- Number rules ----

bool IsWithheld(const std::string& number) { return number == kWithheld; }

bool WorthLookingUp(const std::string& number) {
    int first = number.empty() ? 0 : static_cast<signed char>(number[0]);
    return (first < 0 ? -first : first) >= '0';
}

std::string BoardKey(const std::string& number) {
    char slot[kMaxNumberLength + 1];
    SjisCopy(slot, sizeof slot, number);
    return slot;
}

bool IsEditableNumber(const std::string& number) { return !number.empty() && number[0] >= '0' && number[0] <= '9'; }

bool ShouldOpenBoard(int mode, int numberReady, bool nameEmpty) {
    if (mode == kBoardNever) return false;
    if (mode == kBoardWithName && numberReady != kNumberClicked && nameEmpty) return false;
    return true;
}

// ---- Duplicate check ----

bool DuplicateBoardWatch::Tick(bool callBoardOpen, const std::string& callNumber, bool listBoardOpen,
                               const std::string& listNumber) {
    if (--countdown_ > 0) return false;
    countdown_ = kPeriod;
    return callBoardOpen && listBoardOpen && !callNumber.empty() && callNumber == listNumber;
}

std::string BoardTextRefusal(const FieldText& name, const FieldText& information) {
    if (!name.exact || !information.exact) return kUnsavableCharText;
    if (name.text.size() > kBoardNameLimit) {
        return "名前が長すぎます（" + std::to_string(name.text.size()) +
               " バイト）。\n名前は 201 バイト（全角 100 文字）までです。";
    }
    if (information.text.size() > kBoardInformationLimit) {
        return "情報が長すぎます（" + std::to_string(information.text.size()) +
               " バイト）。\n情報は 10000 バイト（全角 5000 文字）までです。";
    }
    return std::string();
}

// ---- Rectangle in the settings ----

BoardRect StoredBoardRect(const SettingsRecord& settings, const WorkArea& area) {
    BoardRect rect{static_cast<int16_t>(settings.info_board_rect(0)), static_cast<int16_t>(settings.info_board_rect(1)),
                   settings.info_board_rect(2), settings.info_board_rect(3)};
    if (rect.width == 0 || rect.height == 0) {
        rect = BoardRect{area.right / 2 - kDefaultWidth / 2, area.bottom / 2, kDefaultWidth, kDefaultHeight};
    }
    return rect;
}

void StoreBoardRect(SettingsRecord* settings, const BoardRect& rect) {
    settings->set_info_board_rect(0, static_cast<uint16_t>(ClampInt16(rect.x)));
    settings->set_info_board_rect(1, static_cast<uint16_t>(ClampInt16(rect.y)));
    settings->set_info_board_rect(2, static_cast<uint16_t>(std::clamp(rect.width, 0, 65535)));
    settings->set_info_board_rect(3, static_cast<uint16_t>(std::clamp(rect.height, 0, 65535)));
}

// ---- The board ----

InfoBoard::InfoBoard(SettingsRecord& settings, PhoneBook& book, InfoBoardView& view)
    : settings_(settings), book_(book), view_(view) {}

void InfoBoard::Upkeep() {
    if (!open_) return;
    view_.DrawCounter(CounterText(view_.Information().text.size()));
    if (charSize_ != appliedCharSize_) {
        appliedCharSize_ = charSize_;
        view_.ApplyCharSize(charSize_);
    }
}

NumberLookup InfoBoard::LookUp(const std::string& confirmedNumber, int numberReady) {
    NumberLookup lookup;
    if (IsWithheld(confirmedNumber) && numberReady == kNumberDecoded) return lookup;
    if (!WorthLookingUp(confirmedNumber)) return lookup;
    lookup.lookedUp = true;
    record_ = InfoRecord();
    std::optional<uint32_t> entry = book_.FindEntry(BoardKey(confirmedNumber));
    if (entry && !book_.ReadRecord(*entry, &record_)) record_ = InfoRecord();
    lookup.name = record_.name;
    return lookup;
}

void InfoBoard::Offer(const std::string& confirmedNumber, int numberReady) {
    if (!WorthLookingUp(confirmedNumber) || IsWithheld(confirmedNumber) || open_) return;
    boardNumber_ = BoardKey(confirmedNumber);
    if (ShouldOpenBoard(settings_.info_board_mode(), numberReady, record_.name.empty())) Open();
}

NumberLookup InfoBoard::HandOver(const std::string& confirmedNumber, int numberReady) {
    NumberLookup lookup = LookUp(confirmedNumber, numberReady);
    if (lookup.lookedUp) Offer(confirmedNumber, numberReady);
    return lookup;
}

void InfoBoard::OpenFor(const std::string& number) {
    if (open_ || IsWithheld(number) || !LookUp(number, kNumberClicked).lookedUp) return;
    boardNumber_ = BoardKey(number);
    Open();
}

void InfoBoard::Open() {
    bool editable = IsEditableNumber(boardNumber_);
    charSize_ = UsableCharSize(settings_.info_board_font());
    appliedCharSize_ = 0;
    saveRefused_ = false;
    BoardRect rect = StoredBoardRect(settings_, view_.DesktopWorkArea());
    open_ = view_.Create(rect, BoardTitle(boardNumber_), editable ? record_.name : std::string(),
                         editable ? record_.information : std::string(kNoNumberText), editable);
    // The stored size from the first moment, not half a second later.
    if (open_) {
        appliedCharSize_ = charSize_;
        view_.ApplyCharSize(charSize_);
    }
}

void InfoBoard::ProcessRequests() {
    if (unregisterRequest_) {
        unregisterRequest_ = false;
        if (open_) {
            Unregister();
            Close();
        }
    }
    if (saveRequest_) {
        saveRequest_ = false;
        if (open_ && Save()) Close();
    }
}

void InfoBoard::Unregister() {
    unsigned char first = boardNumber_.empty() ? 0 : static_cast<unsigned char>(boardNumber_[0]);
    if (first < '0' || first >= 0x80 || book_.EntryCount() == 0) return;
    std::optional<uint32_t> entry = book_.FindEntry(boardNumber_);
    if (entry && book_.DeleteEntry(*entry)) boardNumber_.clear();
}

bool InfoBoard::Save() {
    // What the user typed is never cut or altered silently: the board stays
    // open so it can be corrected.
    FieldText name, information;
    if (!TakeBoardTexts(view_, &name, &information)) return false;
    record_.name = name.text;
    record_.information = information.text;
    SaveResult result = book_.SaveRecord(boardNumber_, record_.name, record_.information);
    if (result == SaveResult::Saved) {
        boardNumber_.clear();
        return true;
    }
    if (result == SaveResult::InvalidNumber) return true;
    // The store has told the user why. The first time the board stays open
    // with the text; the next press tries again and then closes.
    if (saveRefused_) return true;
    saveRefused_ = true;
    view_.Tell(kNotSavedText, kBoardSaveCaption);
    return false;
}

void InfoBoard::Close() {
    if (!open_) return;
    StoreBoardRect(&settings_, view_.WindowRect());
    settings_.info_board_font() = static_cast<uint8_t>(charSize_);
    view_.Destroy();
    open_ = false;
}

void InfoBoard::ChooseCharSize(int size) {
    if (IdForCharSize(size)) charSize_ = size;
}

}  // namespace suite
