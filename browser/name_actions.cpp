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
const char kNameTooLong[] = "新しい名前が長すぎます、\n短い名前を入力してください。";
const char kNameNotSjis[] = "入力の名前にはシフトJISで表せない文字が含まれています、\n別の文字で入力してください。";
const char kRenameSourceMissing[] = "このファイルが見つかりません、\n移動または削除された可能性があります。";
const char kRenameInUse[] = "このファイルは使用中のため名前を変更できません、\n使用しているプログラムを終了してから変更してください。";
const char kRenameDenied[] = "このファイルの名前を変更する権限がありません。";
const char kRenameOther[] = "このファイルの名前を変更できませんでした。";

// The message of a failed rename: its cause's.
const char* RenameFailureText(RenameFailure why) {
    switch (why) {
        case RenameFailure::TargetExists: return kNameExists;
        case RenameFailure::SourceMissing: return kRenameSourceMissing;
        case RenameFailure::InUse: return kRenameInUse;
        case RenameFailure::Denied: return kRenameDenied;
        case RenameFailure::TooLong: return kRenameFailed;
        case RenameFailure::None: case RenameFailure::Other: break;
    }
    return kRenameOther;
}
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

void NameActions::Act(RecordingList& list, const std::string& nameBox, bool nameBoxExact, uint8_t browserSort,
                      uint8_t browserFlags, std::string* preferred, BrowserMessages& messages) {
    switch (mode_) {
        case kRename:
            // A substitute character would give another name than the one typed.
            if (!nameBoxExact && list.selected() >= 0 && !nameBox.empty()) {
                messages.Inform(kNameNotSjis, kInformationCaption);
                return;
            }
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
    if (!IsPlainFileName(nameBox)) {
        messages.Inform(kBadFileNameText, kInformationCaption);
        return;
    }
    if (nameBox.size() + ext.size() > kMaxRowBytes) {
        messages.Inform(kNameTooLong, kInformationCaption);
        return;
    }
    const std::string newPath = list.folder() + nameBox + ext;
    if (PathExists(newPath)) {
        messages.Inform(kNameExists, kInformationCaption);
        return;
    }
    RenameFailure why = RenameFailure::None;
    if (!RenamePath(list.folder() + oldName, newPath, &why)) {
        messages.Inform(RenameFailureText(why), kInformationCaption);
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
