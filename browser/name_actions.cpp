#include "browser/name_actions.h"

#include "common/file_layer.h"
#include "common/file_name_rules.h"
#include "common/sjis_text.h"

namespace suite {

namespace {

const char kEnterSearchText[] = "先に検索文字を「検索窓」に入力してください。";
const char kSearchEndSuffix[] = "\nを最後まで検索しました。";
const char kSearchEndCaption[] = "検索終了";
const char kEnterNewName[] = "先に新しい名前を「名前の変更窓」に入力してください。";
const char kNameExists[] = "指定されたファイル名は既に存在します、\n別の名前に変更してください。";
const char kRenameFailed[] = "このファイルはパスの文字数が大きいため\nWindowsで名前変更してください。";
const char kDeleteQuestion[] = "\n\n本当に削除しますか？";
const char kDeleteCaption[] = "削除確認";

}  // namespace

bool RowContains(const std::string& row, const std::string& text) {
    if (text.empty()) return true;
    for (size_t i = 0; i + text.size() <= row.size();) {
        if (row.compare(i, text.size(), text) == 0) return true;
        i += IsSjisLeadByte(static_cast<unsigned char>(row[i])) ? 2 : 1;
    }
    return false;
}

const char* NameActions::ActionLabel() const {
    switch (mode_) {
        case kRename: return "名前変更";
        case kSearching: return "次を検索";
        default: return "検索開始";
    }
}

const char* NameActions::ModeLabel() const { return mode_ == kRename ? "検索" : "変更"; }

void NameActions::ActionPressed() {
    if (mode_ == kSearchReady) mode_ = kSearchStart;
}

std::string NameActions::ModePressed(const RecordingList& list) {
    if (mode_ == kRename) {
        mode_ = kSearchReady;
        return std::string();
    }
    mode_ = kRename;
    if (list.selected() < 0) return std::string();
    return SplitName(list.rows()[static_cast<size_t>(list.selected())]).name;
}

void NameActions::NameBoxEdited() {
    if (mode_ == kSearching) mode_ = kSearchReady;
}

void NameActions::Act(RecordingList& list, const std::string& nameBox, uint8_t browserSort, uint8_t browserFlags,
                      std::string* preferred, BrowserMessages& messages) {
    switch (mode_) {
        case kRename:
            Rename(list, nameBox, browserSort, browserFlags, preferred, messages);
            return;
        case kSearchStart:
            searchRows_ = list.rows().size();
            searchText_ = nameBox.substr(0, kMaxRowBytes);
            if (searchText_.empty()) {
                messages.Inform(kEnterSearchText, "");
                mode_ = kSearchReady;
                return;
            }
            mode_ = kSearching;
            searchCursor_ = 0;
            SearchStep(list, messages);
            return;
        case kSearching:
            SearchStep(list, messages);
            return;
        case kSearchReady:
            return;
    }
}

void NameActions::SearchStep(RecordingList& list, BrowserMessages& messages) {
    // The rows may have changed since the search started (a rebuild by a
    // sort change): never read past the list.
    const size_t rows = std::min(searchRows_, list.rows().size());
    while (searchCursor_ < rows) {
        const size_t r = searchCursor_++;
        if (RowContains(list.rows()[r], searchText_)) {
            list.Select(static_cast<int>(r));
            // The name box keeps the search text.
            std::string ignored;
            list.TakeNameBox(&ignored);
            return;
        }
    }
    // The next press searches from the first row again.
    mode_ = kSearchReady;
    messages.Inform(searchText_ + kSearchEndSuffix, kSearchEndCaption);
}

void NameActions::Rename(RecordingList& list, const std::string& nameBox, uint8_t browserSort,
                         uint8_t browserFlags, std::string* preferred, BrowserMessages& messages) {
    if (list.selected() < 0) return;
    const std::string oldName = list.rows()[static_cast<size_t>(list.selected())];
    const std::string ext = SplitName(oldName).ext;
    if (nameBox.empty()) {
        messages.Inform(kEnterNewName, "");
        return;
    }
    // The name stays inside the folder and keeps what the user sees.
    if (!IsPlainFileName(nameBox) || nameBox.size() + ext.size() > kMaxRowBytes) {
        messages.Inform(kBadFileNameText, kInformationCaption);
        return;
    }
    const std::string newPath = list.folder() + nameBox + ext;
    if (PathExists(newPath)) {
        messages.Inform(kNameExists, kInformationCaption);
        return;
    }
    if (!RenamePath(list.folder() + oldName, newPath)) {
        messages.Inform(kRenameFailed, kInformationCaption);
        list.Select(list.selected());
        return;
    }
    *preferred = nameBox + ext;
    list.Rebuild(browserSort, browserFlags, *preferred, -1);
}

void NameActions::Delete(RecordingList& list, uint8_t browserSort, uint8_t browserFlags,
                         const std::string& preferred, BrowserMessages& messages) {
    if (list.selected() < 0) return;
    const int index = list.selected();
    const std::string name = list.rows()[static_cast<size_t>(index)];
    const std::string path = list.folder() + name;
    // A folder row is listed like a file but is never removed, so it is
    // not offered for deletion either.
    if (IsFolder(path)) return;
    if (!messages.Confirm(name + kDeleteQuestion, kDeleteCaption)) return;
    DeleteFilePath(path);
    list.Rebuild(browserSort, browserFlags, preferred, index + 1);
}

}  // namespace suite
