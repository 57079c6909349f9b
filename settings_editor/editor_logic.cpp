#include "settings_editor/editor_logic.h"

#include "common/file_layer.h"
#include "common/position_text.h"
#include "common/sjis_text.h"

namespace suite {

const char kMsgFolderTooLong[] = "パスを含めた文字数が240文字を超えました、\n\nもう一度設定し直してください。";
const char kMsgIncomingTooLong[] = "パスを含めた文字数が260文字を超えました、\n\nもう一度設定し直してください。";
const char kCapSettingError[] = "設定エラー";
const char kMsgFolderListFull[] = "これ以上のアイテムは追加できません。";
const char kCapError[] = "エラー";
const char kMsgRecorderRunning[] = "録音アプリが動作中です、いったんアプリを閉じてください。";
const char kCapRecorderRunning[] = "動作確認";
const char kMsgTestPathTooLong[] =
    "パスの文字数が限界を超えています、\n記録フォルダー欄とフォルダー名形式欄を見直してください。";
const char kCapTestPathTooLong[] = "パス文字数超過";
const char kMsgIncomingFolderBad[] =
    "着信フォルダーパスが不正です、\n予めフォルダーを作成してから、着信フォルダー欄の参照をクリックして作成したフォルダーを選択してください。";
const char kCapIncomingFolderBad[] = "不適切なフォルダーパス";
const char kMsgIncomingFileBad[] = "ファイル名に使用出来ない文字が含まれています\n着信フォルダー欄のファイル名を確認してください。";
const char kCapIncomingFileBad[] = "不適切なファイル名";
const char kCapInputError[] = "入力エラー";
const char kMsgTooManyTokens[] = "時刻を表すxxの数は３個までです。";
const char kMsgFormatTooLong[] = "入力できる文字数は半角259文字（全角129文字）までです。";

namespace {

const char kMsgBadFolderName[] = "入力の文字はフォルダー名として使用できません、\n記号は漢字で入力してください。";

// Longest folder the record folder slots accept, in bytes, before the "\".
constexpr size_t kMaxRecordFolder = 239;
constexpr size_t kMaxIncomingFolder = 259;

}  // namespace

TextSlot FormatSlot(SettingsRecord* record, int k) {
    switch (k) {
        case kFolderFormat: return record->folder_name_format();
        case kFileFormat: return record->file_name_format();
        case kIncomingFormat: return record->incoming_name_format();
        default: return record->outgoing_name_format();
    }
}

ConstTextSlot FormatSlot(const SettingsRecord& record, int k) {
    return FormatSlot(const_cast<SettingsRecord*>(&record), k);
}

int CountTimeTokens(const std::string& text) {
    // Counted as the recorder expands them: only where a character starts,
    // so the trail byte 0x78 of a character such as "ベ" is no "x".
    int count = 0;
    for (size_t i = 0; i + 1 < text.size();) {
        if (IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
            i += 2;
        } else if (text[i] == 'x' && text[i + 1] == 'x') {
            ++count;
            i += 2;
        } else {
            ++i;
        }
    }
    return count;
}

const char* ValidateFormat(int k, const std::string& text) {
    // Cut to its field, the text would no longer be what the user sees.
    if (text.size() >= SettingsRecord::kPathSize) return kMsgFormatTooLong;
    if (k == kFolderFormat) {
        if (HasForbiddenChar(text)) return kMsgBadFolderName;
        if (CountTimeTokens(text) > 3) return kMsgTooManyTokens;
        return nullptr;
    }
    if (HasForbiddenChar(text)) return kBadFileNameText;
    if (k == kFileFormat && CountTimeTokens(text) >= 4) return kMsgTooManyTokens;
    return nullptr;
}

void StoreFormat(SettingsRecord* record, int k, const std::string& text) {
    FormatSlot(record, k).Store(text);
}

const char* FormatWord(int k, int index) {
    static const char* const kIncoming[4] = {"着信", "着信日付", "電話番号", "電話帳"};
    static const char* const kOutgoing[4] = {"発信", "発信日付", "電話番号", "電話帳"};
    if (index < 0 || index > 3) return "";
    return k == kIncomingFormat ? kIncoming[index] : kOutgoing[index];
}

std::vector<std::string> RecordFolders(const SettingsRecord& record) {
    std::vector<std::string> folders;
    for (size_t slot = 0; slot < SettingsRecord::kFolderSlots; ++slot) {
        std::string text = record.folder_list(slot).Get();
        if (!text.empty()) folders.push_back(text);
    }
    return folders;
}

AddFolderResult AddRecordFolder(SettingsRecord* record, const std::string& path, int* slot) {
    if (path.empty() || path.size() > kMaxRecordFolder) return AddFolderResult::TooLong;
    for (size_t s = 0; s < SettingsRecord::kFolderSlots; ++s) {
        if (!record->folder_list(s).empty()) continue;
        std::string folder = path;
        if (!SjisEndsWith(folder, '\\')) folder += '\\';
        record->folder_list(s).Set(folder);
        record->folder_choice() = static_cast<uint8_t>(s);
        if (slot) *slot = static_cast<int>(s);
        return AddFolderResult::Added;
    }
    return AddFolderResult::Full;
}

void DeleteRecordFolder(SettingsRecord* record, size_t listIndex) {
    std::vector<std::string> folders = RecordFolders(*record);
    if (listIndex < folders.size()) folders.erase(folders.begin() + static_cast<long>(listIndex));
    for (size_t slot = 0; slot < SettingsRecord::kFolderSlots; ++slot) {
        record->folder_list(slot).Store(slot < folders.size() ? folders[slot] : std::string());
    }
    record->folder_choice() = 0;
}

IncomingFolderResult SetIncomingFolder(SettingsRecord* record, const std::string* chosen) {
    if (!chosen) return IncomingFolderResult::Cancelled;
    if (chosen->empty() || chosen->size() > kMaxIncomingFolder) return IncomingFolderResult::TooLong;
    std::string folder = *chosen;
    if (!SjisEndsWith(folder, '\\')) folder += '\\';
    // A 259-byte folder plus its "\" no longer fits with the terminator.
    if (folder.size() >= SettingsRecord::kPathSize) return IncomingFolderResult::TooLong;
    record->number_output_path().Store(folder);
    return IncomingFolderResult::Stored;
}

std::string FolderTestPath(const SettingsRecord& record) {
    std::string folder = record.folder_list(record.data()[SettingsRecord::kFolderChoice]).Get();
    return folder + record.folder_name_format().Get() + "xTMPxtmp\\";
}

bool RunFolderTest(const std::string& testPath) {
    // Remember which folders exist already: only those made here are removed,
    // so an empty record folder the user made stays.
    std::vector<std::string> created;
    for (size_t i = 0; i < testPath.size(); ++i) {
        if (IsSjisLeadByte(static_cast<unsigned char>(testPath[i]))) {
            ++i;
            continue;
        }
        if (testPath[i] != '\\' || i == 0) continue;
        std::string part = testPath.substr(0, i);
        if (part.size() == 2 && part[1] == ':') continue;
        if (!PathExists(part)) created.push_back(part);
    }
    bool ok = CreateFolderPath(testPath);
    // After a failure the deepest folders were never made: skip them.
    for (auto it = created.rbegin(); it != created.rend(); ++it) {
        if (!RemoveEmptyFolder(*it) && PathExists(*it)) break;
    }
    return ok;
}

IncomingPathCheck CheckIncomingPath(const std::string& text) {
    size_t split = SjisFindLast(text, '\\');
    if (split == std::string::npos) return IncomingPathCheck::FolderMissing;
    std::string folder = text.substr(0, split);
    std::string file = text.substr(split);
    if (!IsFolder(folder)) return IncomingPathCheck::FolderMissing;
    if (!file.empty() && HasForbiddenChar(file)) return IncomingPathCheck::BadFileName;
    return IncomingPathCheck::Ok;
}

IncomingPathCheck TakeOverIncomingPath(SettingsRecord* record, const std::string& editText) {
    if (editText.empty()) {
        record->number_output_path().Clear();
        return IncomingPathCheck::Ok;
    }
    if (editText.size() > kMaxIncomingFolder) return IncomingPathCheck::TooLong;
    IncomingPathCheck check = CheckIncomingPath(editText);
    if (check != IncomingPathCheck::Ok) return check;
    record->number_output_path().Store(editText);
    return IncomingPathCheck::Ok;
}

Rect EditorWindowPlacement(const SettingsRecord& record, const WorkArea& area) {
    Rect stored{ReadPositionText(record.editor_window_text(0)), ReadPositionText(record.editor_window_text(1)),
                ReadPositionText(record.editor_window_text(2)), ReadPositionText(record.editor_window_text(3))};
    if (stored.width >= kEditorMinWidth && stored.height >= kEditorMinHeight) return stored;
    return Rect{area.left + (area.right - area.left) / 2 - 390, area.top + (area.bottom - area.top) / 2 - 130, 780,
                260};
}

}  // namespace suite
