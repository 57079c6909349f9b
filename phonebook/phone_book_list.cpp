#include "phonebook/phone_book_list.h"

#include <algorithm>

#include "common/byte_io.h"
#include "common/sjis_text.h"

namespace suite {

const char kDeletedRowText[] = "削除済み";
const char kListHelpCaption[] = "説明";
const char kPosSizeFilePath[] = "マニュアル 兼 作業フォルダー\\PosSize.ini";
const char kListHelpText[] =
    "並べ替えは：\n列タイトルをクリックしてください\n\n情報ボタン：\n情報ボード画面が開きます、相手の情報（顧客情報等）はここで入力して"
    "ください\n\n編集するには：\n行、列を左シングルクリック（２列目の電話帳は１列目の編集窓を拝借します）\n編集終了は[Enter]キーを押して"
    "ください（録音を聞きながら情報ボードの編集をするには、先にボードを開いてから記録操作画面を開きます）\n\n追加ボタン：\n最終行に追加します"
    "、最初は必ず電話番号を入力してください\n電話番号をコピー＆貼り付けで追加するには、記録操作画面を開いて「名前の変更と検索窓」で電話番号を"
    "選択してコピーしてください\n\n複数行を一括削除するには：\n連続した複数行は最初の行をクリックしてから、シフトキーを押しながら最後の行を"
    "クリックして、削除ボタンを押してください\n連続していない場合はコントロールキー押しながら複数行をクリックします\n\n入力最大文字数は：\n"
    "電話帳は全角漢字で最大100字まで、情報文字数は全角漢字で最大5000字まで\n\n保存先変更で以前のデーターを引き継ぐには：\nInfoIndex.binary"
    "、InfoData.binary、EriaTable.binaryの３ファイルを移動又はコピーしてください\n電話帳をリセットするには、この３ファイルを削除してください";

namespace {

const char kDuplicateText[] = "この電話番号は既に登録済みです";
const char kDuplicateCaption[] = "追加エラー";
const char kNotDigitsText[] = "半角数字で入力してください";
const char kInputCaption[] = "入力ミス";
const char kNumberTooLongText[] = "電話番号は半角数字 14 文字までで入力してください";
const char kNumberFirstText[] = "先に電話番号を入力してください";
const char kSearchEndText[] = "最後まで検索しました。";
const char kSearchEndCaption[] = "検索終了";
const char kStaleText[] =
    "この行の電話番号は、ほかの画面で変更または削除されています。\n行を読み直しましたので、もう一度操作してください。";

constexpr int kDefaultListWidth = 520, kDefaultListHeight = 200;
constexpr int kMinListWidth = 150, kMinListHeight = 80;
constexpr int kMinBoardWidth = 200, kMinBoardHeight = 100;

std::string DeleteCountText(size_t n) { return " 削除数 " + std::to_string(n) + " "; }

}  // namespace

// ---- Geometry ----

ListLayout LayoutList(int clientWidth, int clientHeight, int f) {
    const int h = 26 * f / 10;   // 2.6F
    const int b = 48 * f / 10;   // 4.8F
    const int top = 32 * f / 10;  // 3.2F
    ListLayout l;
    l.search = Rect{0, 4, 20 * f, h};
    l.searchButton = Rect{20 * f, 4, b, h};
    l.add = Rect{25 * f, 4, b, h};
    l.info = Rect{30 * f, 4, b, h};
    l.remove = Rect{35 * f, 4, b, h};
    l.sizeBox = Rect{40 * f, 4, 5 * f, 60 * f};
    l.folder = Rect{615 * f / 10, 4, 30 * f, h};
    l.browse = Rect{92 * f, 4, b, h};
    l.list = Rect{0, top, clientWidth, std::max(0, clientHeight - top)};
    return l;
}

bool OnHelpMark(int x, int y, int f) { return 10 * x > 454 * f && 10 * x < 473 * f && 10 * y < 25 * f && y < 25; }

// ---- Stored place and sizes ----

ListRect ListRectFromFile(const std::vector<uint8_t>& bytes, const WorkArea& area, bool* usedDefaults) {
    ListRect rect{(area.right - area.left) / 2 - 235, (area.bottom - area.top) / 2, kDefaultListHeight,
                  kDefaultListWidth};
    *usedDefaults = true;
    // A short file is a damaged one: its four values cannot be trusted.
    if (bytes.size() < 16) return rect;
    ByteReader r(bytes.data(), bytes.size());
    ListRect stored{static_cast<int32_t>(r.U32LE(0)), static_cast<int32_t>(r.U32LE(4)),
                    static_cast<int32_t>(r.U32LE(8)), static_cast<int32_t>(r.U32LE(12))};
    bool usable = stored.width >= kMinListWidth && stored.height >= kMinListHeight && stored.width <= 32767 &&
                  stored.height <= 32767 && stored.x > -32768 && stored.x < 32767 && stored.y > -32768 &&
                  stored.y < 32767;
    if (!usable) return rect;
    // A place wholly off the work area (a screen since removed or made
    // smaller) would open the window out of sight. Within the bounds above
    // the sums cannot overflow.
    bool onArea = stored.x < area.right && stored.x + stored.width > area.left && stored.y < area.bottom &&
                  stored.y + stored.height > area.top;
    if (!onArea) return rect;
    *usedDefaults = false;
    return stored;
}

std::vector<uint8_t> ListRectBytes(const ListRect& rect) {
    std::vector<uint8_t> bytes(16);
    ByteWriter w(bytes.data(), bytes.size());
    w.U32LE(0, static_cast<uint32_t>(rect.x));
    w.U32LE(4, static_cast<uint32_t>(rect.y));
    w.U32LE(8, static_cast<uint32_t>(rect.height));
    w.U32LE(12, static_cast<uint32_t>(rect.width));
    return bytes;
}

int UsableListCharSize(int stored) {
    return stored >= kMinListCharSize && stored <= kMaxListCharSize ? stored : kDefaultListCharSize;
}

void UsableListBoardSize(const SettingsRecord& settings, int* width, int* height) {
    *width = settings.list_board_size(0);
    *height = settings.list_board_size(1);
    if (*width < kMinBoardWidth || *height < kMinBoardHeight) {
        *width = kDefaultListWidth;
        *height = kDefaultListHeight;
    }
}

void SetListDefaults(SettingsRecord* settings) {
    settings->set_list_board_size(0, kDefaultListWidth);
    settings->set_list_board_size(1, kDefaultListHeight);
    settings->info_board_font() = kDefaultBoardCharSize;
    settings->phone_book_font() = kDefaultListCharSize;
}

bool StoreListSettings(SettingsRecord* settings, int charSize, const std::string& settingsPath) {
    settings->phone_book_font() = static_cast<uint8_t>(charSize);
    bool a = WriteSettingsBytes(settingsPath, settings->data(), SettingsRecord::kListBoardSize, 4);
    bool b = WriteSettingsBytes(settingsPath, settings->data(), SettingsRecord::kInfoBoardFont, 2);
    return a && b;
}

// ---- Shift-JIS search ----

size_t FindAtCharStart(const std::string& text, const std::string& key, size_t from) {
    if (key.empty()) return std::string::npos;
    // Walk character starts from the beginning: a lead byte's trail byte may
    // look like the key's first byte.
    size_t i = 0;
    while (i < from && i < text.size()) i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    for (; i + key.size() <= text.size(); i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
        if (text.compare(i, key.size(), key) == 0) return i;
    }
    return std::string::npos;
}

size_t SjisCharCount(const std::string& text, size_t bytes) {
    size_t count = 0;
    for (size_t i = 0; i < bytes && i < text.size(); ++count) {
        i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return count;
}

// ---- The list ----

PhoneBookList::PhoneBookList(PhoneBook& book, PhoneBookListView& view) : book_(book), view_(view) {}

void PhoneBookList::Fill() {
    rows_.clear();
    for (PhoneBook::NamedEntry& e : book_.ReadAllNames()) {
        rows_.push_back(ListRow{std::move(e.number), std::move(e.name), e.entry, true, nextRowId_++});
    }
    sortDescending_ = false;
    std::sort(rows_.begin(), rows_.end(), [](const ListRow& a, const ListRow& b) { return a.number < b.number; });
    sortDescending_ = true;
    currentRow_ = 0;
    view_.SetRowCount(rows_.size());
    std::string count = std::to_string(rows_.size());
    view_.ShowCount(count + "/" + count, false, true);
    if (!rows_.empty()) view_.SelectRow(0, false);
}

const std::string& PhoneBookList::CellText(size_t row, int column) const {
    static const std::string kNone;
    if (row >= rows_.size()) return kNone;
    return column == 0 ? rows_[row].number : rows_[row].name;
}

void PhoneBookList::Click(size_t row, bool nameColumn) {
    // The pending new row keeps the edit until its number is in.
    if (addState_ != 0) return;
    if (row < rows_.size()) currentRow_ = row;
    nameColumnEdit_ = nameColumn;
}

void PhoneBookList::SortBy(int column) {
    // The open edit box stays where it is: its row must too.
    if (addState_ != 0 || deleting_ || openEdit_ || rows_.empty()) return;
    // std::string compares as unsigned bytes, as the C string comparison does.
    bool descending = sortDescending_;
    auto key = [column](const ListRow& r) -> const std::string& { return column == 0 ? r.number : r.name; };
    std::sort(rows_.begin(), rows_.end(), [&](const ListRow& a, const ListRow& b) {
        return descending ? key(b) < key(a) : key(a) < key(b);
    });
    sortDescending_ = !sortDescending_;
    // The selection would now stand on other contacts: start again at row 0.
    currentRow_ = 0;
    view_.SelectRow(0, false);
    view_.Redraw();
}

PhoneBookList::Edit PhoneBookList::EditOf(size_t row) const {
    Edit edit;
    edit.rowId = rows_[row].id;
    edit.adding = addState_ == 2 && row + 1 == rows_.size();
    edit.nameColumn = nameColumnEdit_ && !edit.adding;
    return edit;
}

size_t PhoneBookList::RowWithId(uint32_t id) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == id) return i;
    }
    return rows_.size();
}

std::optional<std::string> PhoneBookList::BeginEdit(size_t row) {
    if (row >= rows_.size() || deleting_) return std::nullopt;
    Edit edit = EditOf(row);
    if (addState_ != 0) {
        // Only the new row, and only until its edit ended.
        if (!edit.adding) return std::nullopt;
        openEdit_ = edit;
        return std::string();
    }
    const ListRow& r = rows_[row];
    if (!r.hasEntry) return std::nullopt;  // a deleted row
    openEdit_ = edit;
    return edit.nameColumn ? r.name : r.number;
}

void PhoneBookList::EndEdit(size_t row, const FieldText& text, bool cancelled) {
    // The click that ended the edit arrives after it: the edit goes where it
    // began, as it began.
    std::optional<Edit> edit = openEdit_;
    openEdit_.reset();
    if (!edit) {
        if (row >= rows_.size()) return;
        edit = EditOf(row);
    }
    edit->text = text;
    edit->cancelled = cancelled;
    if (edit->adding) addState_ = 3;
    endedEdits_.push_back(*edit);
}

void PhoneBookList::RequestAdd() {
    if (deleting_) return;
    if (addState_ == 0) addState_ = 1;
    else if (addState_ >= 2) addAfterEdit_ = true;
}

void PhoneBookList::RequestSearch(const std::string& key) {
    if (addState_ != 0) return;
    if (searchState_ == 0) {
        // An empty key finds nothing: no search at all.
        if (key.empty()) return;
        searchText_ = key;
        searchPosition_ = 0;
        view_.SetSearchButton(true);
    }
    searchState_ = 1;
}

void PhoneBookList::SearchTextChanged() {
    if (searchState_ != 0) view_.SetSearchButton(false);
    searchState_ = 0;
}

bool PhoneBookList::Tick() {
    // Edits first, each as its own step; a message box of one may let
    // more edits end, which wait for the next tick.
    std::vector<Edit> edits;
    edits.swap(endedEdits_);
    for (const Edit& edit : edits) HandleEdit(edit);
    if (deleting_) return true;
    if (searchState_ == 1 && addState_ == 0) {
        SearchStep();
    } else if (addState_ == 1) {
        StartAdd();
    } else if (deleteRequest_) {
        deleteRequest_ = false;
        if (addState_ == 0 && !rows_.empty()) {
            std::vector<size_t> selected = view_.SelectedRows();
            toDelete_.assign(selected.rbegin(), selected.rend());
            deleteNext_ = deletedCount_ = staleCount_ = 0;
            deleteCurrentRow_ = currentRow_;
            deleting_ = true;
            view_.ShowCount(DeleteCountText(0), true, false);
            return ContinueDelete();
        }
    }
    return false;
}

// ---- Rows against the store ----

bool PhoneBookList::RowHolds(size_t row) const {
    const ListRow& r = rows_[row];
    return r.hasEntry && book_.Number(r.entry) == r.number;
}

// The row's number may have moved to another entry (deleted and saved
// again by the call board); otherwise the row is gone.
void PhoneBookList::Reread(size_t row) {
    ListRow& r = rows_[row];
    std::optional<uint32_t> entry;
    if (r.hasEntry && !r.number.empty()) entry = book_.FindEntry(r.number);
    if (entry) {
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (i != row && rows_[i].hasEntry && rows_[i].entry == *entry) entry.reset();
            if (!entry) break;
        }
    }
    if (entry) {
        r.entry = *entry;
        r.name = book_.ReadName(*entry);
    } else {
        r.number = kDeletedRowText;
        r.name.clear();
        r.hasEntry = false;
    }
}

bool PhoneBookList::RowStillValid(size_t row) {
    if (RowHolds(row)) return true;
    Reread(row);
    view_.Redraw();
    view_.Tell(kStaleText, kPhoneBookCaption);
    return false;
}

bool PhoneBookList::IsDuplicate(const std::string& number, size_t row) const {
    size_t pending = addState_ >= 2 ? rows_.size() - 1 : rows_.size();
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (i != row && i != pending && rows_[i].number == number) return true;
    }
    // The call board may have stored the number since the rows were read.
    std::optional<uint32_t> entry = book_.FindEntry(number);
    return entry && !(rows_[row].hasEntry && rows_[row].entry == *entry);
}

void PhoneBookList::HandleEdit(const Edit& edit) {
    const bool adding = edit.adding;
    if (adding) {
        addState_ = addAfterEdit_ ? 1 : 0;
        addAfterEdit_ = false;
    }
    size_t row = RowWithId(edit.rowId);
    if (row >= rows_.size()) return;
    view_.Redraw();
    const std::string& text = edit.text.text;
    const bool cancelled = edit.cancelled;
    // Deleted here since the edit began: nothing left to change.
    if (!adding && !rows_[row].hasEntry) return;

    if (adding || !edit.nameColumn) {
        bool refused = false;
        if (!cancelled) {
            if (!edit.text.exact || text.size() > kMaxNumberLength) {
                view_.Tell(kNumberTooLongText, kInputCaption);
                refused = true;
            } else if (!text.empty() && IsDuplicate(text, row)) {
                view_.Tell(kDuplicateText, kDuplicateCaption);
                refused = true;
            } else if (!text.empty() && static_cast<unsigned char>(text[0]) > '9') {
                view_.Tell(kNotDigitsText, kInputCaption);
                refused = true;
            }
        }
        if (adding) {
            std::optional<uint32_t> entry;
            if (!cancelled && !refused && !text.empty() && static_cast<unsigned char>(text[0]) >= '0') {
                entry = book_.AddNumber(text);
            }
            if (!entry) {
                rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
                view_.SetRowCount(rows_.size());
                currentRow_ = rows_.empty() ? 0 : std::min(currentRow_, rows_.size() - 1);
                if (!rows_.empty()) view_.ShowRow(rows_.size() - 1);
                return;
            }
            rows_[row] = ListRow{text, std::string(), *entry, true, edit.rowId};
            return;
        }
        // A refused text leaves the number as it was: a typo must not empty
        // a contact.
        if (cancelled || refused || text == rows_[row].number || !RowStillValid(row)) return;
        if (book_.SetNumber(rows_[row].entry, text)) rows_[row].number = text;
        return;
    }

    if (cancelled || !RowStillValid(row)) return;
    if (rows_[row].number.empty()) {
        view_.Tell(kNumberFirstText, kInputCaption);
        return;
    }
    std::string refusal = BoardTextRefusal(edit.text, FieldText());
    if (!refusal.empty()) {
        view_.Tell(refusal, kBoardSaveCaption);
        return;
    }
    if (book_.SetName(rows_[row].entry, text)) rows_[row].name = text;
}

void PhoneBookList::StartAdd() {
    if (!book_.CheckAppendLimit()) {
        addState_ = 0;
        return;
    }
    rows_.push_back(ListRow{});
    rows_.back().id = nextRowId_++;
    currentRow_ = rows_.size() - 1;
    view_.SetRowCount(rows_.size());
    addState_ = 2;
    view_.SelectRow(currentRow_, true);
}

void PhoneBookList::SearchStep() {
    searchState_ = 2;
    for (size_t i = searchPosition_; i < rows_.size(); ++i) {
        const ListRow& r = rows_[i];
        if (FindAtCharStart(r.number, searchText_, 0) != std::string::npos ||
            FindAtCharStart(r.name, searchText_, 0) != std::string::npos) {
            searchPosition_ = i + 1;
            currentRow_ = i;
            view_.SelectRow(i, false);
            return;
        }
    }
    view_.Tell(kSearchEndText, kSearchEndCaption);
    view_.SetSearchButton(false);
    searchState_ = 0;
}

bool PhoneBookList::ContinueDelete() {
    if (!deleting_) return false;
    size_t end = std::min(toDelete_.size(), deleteNext_ + kDeleteChunk);
    for (size_t k = deleteNext_; k < end; ++k) {
        size_t row = toDelete_[k];
        if (row >= rows_.size() || !rows_[row].hasEntry || rows_[row].number.empty()) continue;
        if (!RowHolds(row)) {
            Reread(row);
            ++staleCount_;
            continue;
        }
        if (!book_.DeleteEntry(rows_[row].entry)) {
            end = toDelete_.size();  // the store said why; no message per row
            break;
        }
        ListRow& r = rows_[row];
        r.number = kDeletedRowText;
        r.name.clear();
        r.hasEntry = false;
        if (++deletedCount_ % 1000 == 0) view_.ShowCount(DeleteCountText(deletedCount_), true, false);
    }
    deleteNext_ = end;
    if (deleteNext_ < toDelete_.size()) return true;
    FinishDelete();
    return false;
}

void PhoneBookList::FinishDelete() {
    deleting_ = false;
    toDelete_.clear();
    view_.ShowCount(DeleteCountText(deletedCount_), true, deletedCount_ > 10);
    currentRow_ = deleteCurrentRow_;
    view_.Redraw();
    if (currentRow_ < rows_.size()) view_.ShowRow(currentRow_);
    if (staleCount_ > 0) view_.Tell(kStaleText, kPhoneBookCaption);
}

}  // namespace suite
