#include "browser/recording_list.h"

#include <algorithm>
#include <cstdio>

#include "browser/recording_source.h"
#include "common/recorder_shared.h"
#include "common/sjis_text.h"

namespace suite {

const char kNoRecordingsText[] = "音声ファイルが存在しない";

namespace {

const char* const kSortLabels[] = {"", "名前昇順", "名前降順", "作成昇順", "作成降順"};

// Position of the last single-byte "." in text, or npos.
size_t LastDot(const std::string& text) {
    size_t after = SjisFindLast(text, '.');
    return after == std::string::npos ? after : after - 1;
}

unsigned char FoldAscii(unsigned char b) { return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 32) : b; }

}  // namespace

int EffectiveSort(uint8_t browserSort) { return browserSort >= 1 && browserSort <= 4 ? browserSort : 0; }

uint8_t NextSort(uint8_t browserSort) {
    return static_cast<uint8_t>(browserSort >= 1 && browserSort <= 3 ? browserSort + 1 : 1);
}

const char* SortLabel(uint8_t browserSort) { return kSortLabels[EffectiveSort(browserSort)]; }

const char* InitialRowLabel(uint8_t browserFlags) { return browserFlags ? "最終行" : "先頭行"; }

NameParts SplitName(const std::string& row) {
    size_t dot = LastDot(row);
    if (dot == std::string::npos) return NameParts{row, ""};
    return NameParts{row.substr(0, dot), row.substr(dot)};
}

bool IsListedName(const std::string& name) {
    return name != "." && name != ".." && LastDot(name) != std::string::npos &&
           !SameNameIgnoringCase(name, kTempRecordingName);
}

std::string TimeKey(const FileTime& t) {
    char key[64];
    std::snprintf(key, sizeof key, "%04d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute);
    return std::string(key).substr(0, 12);
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (IsSjisLeadByte(x)) {
            // Both bytes of a two-byte character compare as they are.
            if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (FoldAscii(x) != FoldAscii(y)) return false;
    }
    return true;
}

std::vector<std::string> SortedRows(const std::vector<FolderItem>& items, int sort, size_t* longest) {
    const bool byTime = sort == 3 || sort == 4;
    const bool ascending = sort == 1 || sort == 3;
    struct Entry {
        std::string key;
        size_t nameAt;  // where the file name starts in key
    };
    std::vector<Entry> entries;
    entries.reserve(items.size());
    *longest = 0;
    for (const FolderItem& item : items) {
        if (!IsListedName(item.name) || item.name.size() > kMaxRowBytes) continue;
        Entry e{byTime ? TimeKey(item.created) + item.name : item.name, byTime ? 12u : 0u};
        *longest = std::max(*longest, e.key.size());
        entries.push_back(std::move(e));
    }
    // std::string compares through char_traits<char>, i.e. as unsigned bytes.
    std::sort(entries.begin(), entries.end(), [ascending](const Entry& x, const Entry& y) {
        return ascending ? x.key < y.key : y.key < x.key;
    });
    std::vector<std::string> rows;
    rows.reserve(entries.size());
    for (const Entry& e : entries) rows.push_back(e.key.substr(e.nameAt));
    return rows;
}

int ChooseRow(const std::vector<std::string>& rows, int request, uint8_t browserFlags,
              const std::string& preferred) {
    const int n = static_cast<int>(rows.size());
    if (n == 0) return -1;
    if (request < 0 && !preferred.empty()) {
        for (int r = 0; r < n; ++r) {
            if (SameNameIgnoringCase(rows[static_cast<size_t>(r)], preferred)) return r;
        }
        return 0;
    }
    if (request <= 0) return browserFlags ? n - 1 : 0;
    return std::min(request - 1, n - 1);
}

int DropDownWidth(size_t longest, int clientWidth) {
    return static_cast<int>((static_cast<double>(longest) + 2) * clientWidth * 0.014);
}

std::string CreationText(const FileTime* t) {
    if (!t) return "作成時間--:--";
    char text[32];
    std::snprintf(text, sizeof text, "作成時間%02d:%02d", t->hour, t->minute);
    return text;
}

std::string LengthText(uint32_t seconds) {
    if (seconds == kUnknownLength) return "録音時間--:--:--";
    const uint32_t h = seconds / 3600, m = seconds % 3600 / 60, s = seconds % 60;
    char text[48];
    std::snprintf(text, sizeof text, "録音時間%02u:%02u:%02u", h, m, s);
    return text;
}

void RecordingList::Rebuild(uint8_t browserSort, uint8_t browserFlags, const std::string& preferred,
                            int request) {
    rows_.clear();
    selected_ = -1;
    current_ = NameParts{};
    longest_ = 0;
    std::vector<FolderItem> items;
    if (ListFolderItems(folder_, &items)) rows_ = SortedRows(items, EffectiveSort(browserSort), &longest_);
    if (rows_.empty()) {
        SetNameBox(kNoRecordingsText);
        return;
    }
    Select(ChooseRow(rows_, request, browserFlags, preferred));
}

void RecordingList::SelectInitial(uint8_t browserFlags) {
    if (rows_.empty()) return;
    Select(browserFlags ? static_cast<int>(rows_.size()) - 1 : 0);
}

void RecordingList::Select(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    selected_ = row;
    current_ = SplitName(rows_[static_cast<size_t>(row)]);
    SetNameBox(current_.name);
    if (!current_.name.empty()) selectionChanged_ = true;
}

std::string RecordingList::CurrentPath() const {
    if (selected_ < 0) return std::string();
    return folder_ + current_.name + current_.ext;
}

bool RecordingList::TakeNameBox(std::string* text) {
    if (!nameBoxSet_) return false;
    *text = nameBox_;
    nameBoxSet_ = false;
    return true;
}

bool RecordingList::TakeSelectionChanged() {
    bool was = selectionChanged_;
    selectionChanged_ = false;
    return was;
}

void RecordingList::SetNameBox(const std::string& text) {
    nameBox_ = text;
    nameBoxSet_ = true;
}

}  // namespace suite
