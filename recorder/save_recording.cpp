#include "recorder/save_recording.h"

#include "recorder/name_formatter.h"
#include "common/settings_record.h"
#include "common/sjis_text.h"

namespace suite {

const char kSaveFailedMessage[] = "録音ファイルを保存できませんでした。\n非常用フォルダーを確認してください。";

namespace {


// Text cut to a slot of slotSize bytes, as the fixed buffers hold it.
std::string Slot(const std::string& text, size_t slotSize) {
    std::string buffer(slotSize, '\0');
    size_t n = SjisCopy(&buffer[0], slotSize, text);
    buffer.resize(n);
    return buffer;
}

// The name formats of a record whose slot is empty (an all-zero record):
// the defaults of a new record, so calls are never named ".wav", "(1).wav", ...
// (An empty folder format stays empty: the record folder alone.)
const char kDefaultFileNameFormat[] = "dd日xx時xx分xx秒";
const char kDefaultIncomingNameFormat[] = "[着信]着信日付-電話番号-電話帳";
const char kDefaultOutgoingNameFormat[] = "[発信]発信日付-電話番号-電話帳";

std::string FormatOrDefault(ConstTextSlot slot, const char* fallback) {
    std::string format = slot.Get();
    return format.empty() ? std::string(fallback) : format;
}

void ReplaceFirst(std::string* text, const char* item, const std::string& value) {
    std::string needle = item;
    size_t pos = SjisFind(*text, needle);
    if (pos != std::string::npos) text->replace(pos, needle.size(), value);
}

}  // namespace

SavingSettings RecorderSavingSettings(RecorderSettings* record, ConstTextSlot folderNameFormat) {
    SavingSettings s;
    s.record_folder = record->record_folder().Get();
    s.folder_name_format = folderNameFormat.Get();
    s.file_name_format = FormatOrDefault(record->file_name_format(), kDefaultFileNameFormat);
    s.recording_format = record->recording_format();
    s.namedByCall = false;
    s.recording_path = record->recording_path();
    return s;
}

SavingSettings LineSavingSettings(SettingsRecord* record) {
    SavingSettings s = RecorderSavingSettings(record, record->folder_name_format());
    s.incoming_name_format = FormatOrDefault(record->incoming_name_format(), kDefaultIncomingNameFormat);
    s.outgoing_name_format = FormatOrDefault(record->outgoing_name_format(), kDefaultOutgoingNameFormat);
    s.namedByCall = true;
    return s;
}

std::string FileNameSafe(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsSjisLeadByte(c) && i + 1 < text.size()) {
            out += text[i];
            out += text[++i];  // a trail byte (0x5C, 0x7C) is part of its character
            continue;
        }
        switch (c) {
            case '\\': out += "＼"; break;
            case '/': out += "／"; break;
            case ':': out += "："; break;
            case '*': out += "＊"; break;
            case '?': out += "？"; break;
            case '"': out += "”"; break;
            case '<': out += "＜"; break;
            case '>': out += "＞"; break;
            case '|': out += "｜"; break;
            default:
                if (c >= 0x20 && c != 0x7F) out += text[i];  // control bytes dropped
                break;
        }
    }
    return out;
}

std::string FreeRecordingPath(const std::string& folder, const std::string& name, const std::string& extension,
                              int* n) {
    *n = 0;
    std::string target = folder + name + extension;
    while (PathExists(target)) {
        ++*n;
        target = folder + name + "(" + std::to_string(*n) + ")" + extension;
    }
    return target;
}

std::string RecordingSaver::ItemName(const SavingSettings& settings, const CallFacts& call) const {
    std::string date = NameFormatter(settings.file_name_format, clock_);
    std::string number = Slot(call.callNumber, kCallNumberSize);
    std::string pattern = call.incoming ? settings.incoming_name_format : settings.outgoing_name_format;
    ReplaceFirst(&pattern, call.incoming ? "着信日付" : "発信日付", date);
    size_t space = number.find(' ');  // 0x20 is never the second byte of a character
    ReplaceFirst(&pattern, "電話番号", FileNameSafe(number.substr(0, space)));
    ReplaceFirst(&pattern, "電話帳",
                 space == std::string::npos ? std::string() : FileNameSafe(number.substr(space + 1)));
    return pattern;
}

std::string RecordingSaver::BuildName(const SavingSettings& settings, const CallFacts& call) const {
    if (!settings.namedByCall) return NameFormatter(settings.file_name_format, clock_);
    std::string name = field_ ? Slot(field_->Text(), kFieldTextSize) : std::string();
    std::string number = Slot(call.callNumber, kCallNumberSize);
    static const std::string kUnreadable = "取得";  // "取得不能"
    bool decoded = !call.manual && !number.empty() && number.compare(0, kUnreadable.size(), kUnreadable) != 0;
    if (decoded) {
        // The field showing the number (and phone book name) means "no name
        // of its own".
        if (name == number) name.clear();
        if (name.empty()) return ItemName(settings, call);
        return FileNameSafe(name);
    }
    if (name.empty()) return NameFormatter(settings.file_name_format, clock_);
    return FileNameSafe(name);
}

SaveOutcome RecordingSaver::SaveRecording(const SavingSettings& settings, const CallFacts& call, bool discard) {
    bool haveFile = writer_->Finish();
    const bool cutShort = haveFile && writer_->WriteFailed();

    std::string folder = settings.record_folder + NameFormatter(settings.folder_name_format, clock_);
    // Both empty would make "\", the root of the drive: left empty, it fails
    // below and the recording goes to the emergency folder.
    if (!folder.empty()) folder += "\\";
    // A folder longer than the slot would be cut to another folder's name
    // (or, unchecked, run into work_folder): keep the previous value then.
    if (folder.size() < settings.recording_path.size()) settings.recording_path.Set(folder);
    bool emergency = false;
    if (!CreateFolderPath(folder)) {
        folder = kEmergencyFolder;
        emergency = true;
        CreateFolderPath(folder);
    }

    std::string name = BuildName(settings, call);
    const std::string extension = settings.recording_format != 0 ? ".ogg" : ".wav";
    int n = 0;
    std::string target = FreeRecordingPath(folder, name, extension, &n);

    if (discard) {
        if (haveFile) DeleteFilePath(kTempRecordingPath);
        writer_->MarkClosed();
        return SaveOutcome::Discarded;
    }

    bool moved = haveFile && RenamePath(kTempRecordingPath, target);
    if (!moved && haveFile) {
        // One retry under the fallback name; if that fails too, stop.
        folder = kEmergencyFolder;
        emergency = true;
        CreateFolderPath(folder);
        name = NameFormatter(kFallbackNameFormat, clock_);
        target = FreeRecordingPath(folder, name, extension, &n);
        moved = RenamePath(kTempRecordingPath, target);
    }
    if (!moved) {
        saveFailed_.store(1);
        writer_->MarkClosed();
        return SaveOutcome::Failed;
    }

    if (n != 0) name += "(" + std::to_string(n) + ")";
    if (field_) field_->Show(name);
    SjisCopy(lastSavedName_, kNameSize, name + extension);
    lastSavedPath_ = target;
    if (emergency) savedToEmergency_.store(1);
    if (cutShort) diskFull_.store(1);
    // Last: the browser may open once no recording counts as open, and then
    // reads LastSavedName and recording_path.
    writer_->MarkClosed();
    return emergency ? SaveOutcome::SavedInEmergencyFolder : SaveOutcome::Saved;
}

}  // namespace suite
