#include "phonebook/list_board.h"

#include <algorithm>

#include "common/sjis_text.h"
#include "phonebook/phone_book_list.h"

namespace suite {

const char kUnsavedBoardText[] = "情報ボードの内容は保存されていません。\n保存しますか？";
const char kUnsavedBoardCaption[] = "情報ボード";

namespace {
const char kSearchEndText[] = "最後まで検索しました。";
const char kSearchEndCaption[] = "検索終了";
}  // namespace

ListBoardLayout LayoutListBoard(int w, int h, int f) {
    const int rowHeight = 26 * f / 10;
    const int button = 85 * f / 10;
    ListBoardLayout l;
    l.save = Rect{6, 3, button, rowHeight};
    l.clear = Rect{98 * f / 10, 3, button, rowHeight};
    l.searchButton = Rect{32 * f, 4, button / 2, rowHeight};
    l.search = Rect{364 * f / 10, 4, std::max(0, w - 364 * f / 10 - 6), rowHeight};
    l.name = Rect{65 * f / 10, 35 * f / 10, w - 65 * f / 10 - 6, 24 * f / 10};
    l.information = Rect{6, 65 * f / 10, w - 12, h - 65 * f / 10 - 4};
    return l;
}

ListBoard::ListBoard(SettingsRecord& settings, PhoneBook& book, ListBoardView& view)
    : settings_(settings), book_(book), view_(view) {}

void ListBoard::Reset() {
    open_ = false;
    saveRequest_ = clearRequest_ = false;
    searchState_ = lastStepState_ = 0;
    watch_.Reset();
}

void ListBoard::OpenFor(const std::string& number, int x, int y) {
    if (open_) return;
    std::string key = BoardKey(number);
    std::optional<uint32_t> entry = book_.FindEntry(key);
    if (!entry) return;
    record_ = InfoRecord();
    book_.ReadRecord(*entry, &record_);
    int width = 0, height = 0;
    UsableListBoardSize(settings_, &width, &height);
    open_ = view_.Create(BoardRect{x, y, width, height}, BoardTitle(key), record_.name, record_.information);
    if (!open_) return;
    number_ = key;
    saveRequest_ = clearRequest_ = keyChanged_ = false;
    searchState_ = lastStepState_ = 0;
}

void ListBoard::CheckDuplicate(bool callBoardOpen, const std::string& callNumber) {
    if (watch_.Tick(callBoardOpen, callNumber, open_, number_)) view_.Notify(kDuplicateBoardText, kDuplicateBoardCaption);
}

bool ListBoard::Tick() {
    if (!open_) return false;
    view_.DrawCounter(CounterText(view_.Information().text.size()));
    SearchStep();
    if (clearRequest_) {
        clearRequest_ = saveRequest_ = false;
        book_.ClearInformation(number_);
        Close();
        return true;
    }
    if (saveRequest_) {
        saveRequest_ = false;
        if (Save()) {
            Close();
            return true;
        }
    }
    return false;
}

bool ListBoard::Save() {
    FieldText name, information;
    if (!TakeBoardTexts(view_, &name, &information)) return false;
    BoardRect rect = view_.WindowRect();
    settings_.set_list_board_size(0, static_cast<uint16_t>(std::clamp(rect.width, 0, 65535)));
    settings_.set_list_board_size(1, static_cast<uint16_t>(std::clamp(rect.height, 0, 65535)));
    // A refused save (limit, no space) has been explained by the store; the
    // board stays open with the text.
    return book_.SaveRecord(number_, name.text, information.text) == SaveResult::Saved;
}

void ListBoard::SearchStep() {
    if (searchState_ >= 2 && keyChanged_) {
        keyChanged_ = false;
        view_.SetSearchButton(false);
        searchState_ = lastStepState_ = 0;
    }
    if (searchState_ == 1) {
        searchState_ = 2;
        lastStepState_ = 0;
        keyChanged_ = false;
        searchCopy_ = view_.Information().text;
        nextPosition_ = 0;
        view_.SetSearchButton(true);
    }
    if (searchState_ == lastStepState_) return;
    lastStepState_ = searchState_;
    std::string key = view_.SearchKey().text;
    char slot[kSearchKeyLimit + 1];
    SjisCopy(slot, sizeof slot, key);
    key = slot;
    // Lines end at CR LF, which a single-line key never holds, so a hit
    // never runs across lines.
    size_t hit = key.empty() ? std::string::npos : FindAtCharStart(searchCopy_, key, nextPosition_);
    if (hit == std::string::npos) {
        if (!key.empty()) view_.Tell(kSearchEndText, kSearchEndCaption);
        view_.SetSearchButton(false);
        searchState_ = lastStepState_ = 0;
        return;
    }
    // The edit field counts characters, the copy bytes.
    view_.ShowHit(SjisCharCount(searchCopy_, hit), SjisCharCount(key, key.size()));
    nextPosition_ = hit + key.size();
}

bool ListBoard::CloseWithList() {
    if (!open_) return true;
    FieldText information = view_.Information();
    if (information.exact && information.text == record_.information) {
        Close();
        return true;
    }
    if (view_.Ask(kUnsavedBoardText, kUnsavedBoardCaption) && !Save()) return false;
    Close();
    return true;
}

void ListBoard::Close() {
    if (!open_) return;
    view_.Destroy();
    open_ = false;
}

}  // namespace suite
